#include "catalog.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "art.h"
#include "twin_correction.h"

namespace assetgen {

namespace {

SceneAsset surroundAsset(const std::string& file, int style, SurroundPart part) {
    Placement p = surroundPlacement(style, part);
    auto paint = [=](int d) { return paintSurround(style, part, d); };
    return {file, p.x, p.y, p.width, p.height, paint};
}

SceneAsset mantelAsset(const std::string& file, int style) {
    Placement p = mantelPlacement(style);
    return {file, p.x, p.y, p.width, p.height, [=](int d) { return paintMantel(style, d); }};
}

std::vector<SceneAsset> buildCatalogue() {
    std::vector<SceneAsset> a;
    a.push_back(
        {"Stocking.bmp", 95, 19, kStockingW, kStockingH, [](int d) { return paintStocking(d); }});
    a.push_back({"poinr.bmp", -5, 440, 175, 160, [](int d) { return paintPoinsettia(true, d); }});
    a.push_back({"poinl.bmp", 650, 450, 150, 150, [](int d) { return paintPoinsettia(false, d); }});
    a.push_back({"bellr.bmp", 0, -10, 90, 105, [](int d) { return paintBells(true, d); }});
    a.push_back({"belll.bmp", 720, 0, 80, 95, [](int d) { return paintBells(false, d); }});
    a.push_back(
        {"Calendar.bmp", 5, 510, kCalendarW, kCalendarH, [](int d) { return paintCalendar(d); }});
    for (int k = 0; k < kFlameFrames; ++k)
        a.push_back({"Flame" + std::to_string(k + 1) + ".bmp", 70, 27, kFlameW, kFlameH,
                     [k](int d) { return paintFlame(k, d); }});
    a.push_back({"Logs.bmp", 83, 435, kLogsW, kLogsH, [](int d) { return paintLogs(d); }});
    using P = SurroundPart;
    a.push_back(surroundAsset("marLeftSide.bmp", 1, P::Left));
    a.push_back(surroundAsset("marRightSide.bmp", 1, P::Right));
    a.push_back(surroundAsset("marTopSide.bmp", 1, P::Top));
    a.push_back(surroundAsset("mar2LeftSide.bmp", 2, P::Left));
    a.push_back(surroundAsset("mar2RightSide.bmp", 2, P::Right));
    a.push_back(surroundAsset("mar2TopSide.bmp", 2, P::Top));
    const char* stems[] = {"RiverRock", "DRiverRock", "FlatStone", "OldRock"};
    const char* mantels[] = {"m-RiverRock.bmp", "m-DRiverRock.bmp", "m-Flatstone.bmp",
                             "m-OldRock.bmp"};
    for (int s = 3; s <= 6; ++s) {
        std::string stem = stems[s - 3];
        a.push_back(surroundAsset(stem + "L.bmp", s, P::Left));
        a.push_back(surroundAsset(stem + "R.bmp", s, P::Right));
        a.push_back(surroundAsset(stem + "T.bmp", s, P::Top));
        a.push_back(mantelAsset(mantels[s - 3], s));
    }
    a.push_back({"AndIronL.bmp", 50, 292, kAndIronW, kAndIronH,
                 [](int d) { return paintAndIron(true, d); }});
    a.push_back({"AndIronR.bmp", 580, 292, kAndIronW, kAndIronH,
                 [](int d) { return paintAndIron(false, d); }});
    return a;
}

const SceneAsset& find(const std::string& file) {
    for (const SceneAsset& a : sceneAssets())
        if (a.file == file) return a;
    throw std::runtime_error("no picture " + file);
}

// Runs task(0) .. task(n - 1) on up to `threads` threads, each result in its own place, so
// that what comes out does not depend on which thread took which task or when.
template <class T, class Task>
std::vector<T> inParallel(size_t n, int threads, const Task& task) {
    std::vector<T> results(n);
    std::vector<std::exception_ptr> errors(n);
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < n; i = next++) {
            try {
                results[i] = task(i);
            } catch (...) {
                errors[i] = std::current_exception();
            }
        }
    };
    const size_t helpers = std::min(n, size_t(std::max(threads, 1))) - (n > 0 ? 1 : 0);
    std::vector<std::thread> pool;
    for (size_t t = 0; t < helpers; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    for (const std::exception_ptr& e : errors)
        if (e) std::rethrow_exception(e);
    return results;
}

const Image& picture(PictureCache& cache, const std::string& file) {
    auto it = cache.find(file);
    if (it == cache.end()) it = cache.emplace(file, find(file).paint(1)).first;
    return it->second;
}

void draw(Image& screen, PictureCache& cache, const std::string& file) {
    const SceneAsset& a = find(file);
    screen.blit(picture(cache, file), a.x, a.y);
}

}  // namespace

const std::vector<SceneAsset>& sceneAssets() {
    static const std::vector<SceneAsset> catalogue = buildCatalogue();
    return catalogue;
}

Image composeScene(int style, bool mantel, bool decorations, PictureCache& cache) {
    Image screen(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) screen.set(x, y, {0, 0, 0});
    draw(screen, cache, "Flame1.bmp");
    draw(screen, cache, "Logs.bmp");
    draw(screen, cache, "AndIronL.bmp");
    draw(screen, cache, "AndIronR.bmp");
    static const char* names[7][4] = {
        {},
        {"marRightSide.bmp", "marLeftSide.bmp", "marTopSide.bmp", nullptr},
        {"mar2RightSide.bmp", "mar2LeftSide.bmp", "mar2TopSide.bmp", nullptr},
        {"RiverRockR.bmp", "RiverRockL.bmp", "RiverRockT.bmp", "m-RiverRock.bmp"},
        {"DRiverRockR.bmp", "DRiverRockL.bmp", "DRiverRockT.bmp", "m-DRiverRock.bmp"},
        {"FlatStoneR.bmp", "FlatStoneL.bmp", "FlatStoneT.bmp", "m-Flatstone.bmp"},
        {"OldRockR.bmp", "OldRockL.bmp", "OldRockT.bmp", "m-OldRock.bmp"}};
    if (style >= 1 && style <= 6) {
        for (int i = 0; i < 3; ++i) draw(screen, cache, names[style][i]);
        if (mantel && names[style][3]) draw(screen, cache, names[style][3]);
    }
    if (decorations) {
        draw(screen, cache, "Calendar.bmp");
        for (int x : {95, 271, 447, 625}) screen.blit(picture(cache, "Stocking.bmp"), x, 19);
        draw(screen, cache, "bellr.bmp");
        draw(screen, cache, "belll.bmp");
        draw(screen, cache, "poinr.bmp");
        draw(screen, cache, "poinl.bmp");
    }
    return screen;
}

std::string highDetailName(const std::string& file) {
    const size_t dot = file.rfind('.');
    return std::string(kHighDetailFolder) + "/" + file.substr(0, dot) + ".hgtc";
}

Bytes shippedTwin(const std::string& file, const Image& twin, const Image& picture) {
    // The coarsest step that keeps the painting, checked as the program will read it: a twin
    // that strays is never shipped.
    for (int step = coarsestTwinStep(twin, picture, kMinTwinPsnr + 0.1); step >= 1; --step) {
        Bytes bytes = encodeTwinCorrection(twin, picture, step);
        const TwinFidelity f = twinFidelity(bytes, twin, picture);
        if (f.read && f.holesExact && f.psnr >= kMinTwinPsnr + 0.1) return bytes;
    }
    throw std::runtime_error("the twin of " + file + " strays from its painting");
}

std::vector<OutputJob> installJobs(const PictureCache* painted) {
    std::vector<OutputJob> jobs;
    for (const SceneAsset& a : sceneAssets()) {
        auto it = painted ? painted->find(a.file) : PictureCache::const_iterator{};
        if (painted && it != painted->end()) {
            const Image* picture = &it->second;
            jobs.push_back({a.file, [picture] { return encodeBmp24(*picture); }});
        } else {
            jobs.push_back({a.file, [&a] { return encodeBmp24(a.paint(1)); }});
        }
    }
    for (const SceneAsset& a : sceneAssets()) {
        const Image* picture = nullptr;
        if (painted)
            if (auto it = painted->find(a.file); it != painted->end()) picture = &it->second;
        jobs.push_back({highDetailName(a.file), [&a, picture] {
                            return shippedTwin(a.file, a.paint(kHighDetail),
                                               picture ? *picture : a.paint(1));
                        }});
    }
    return jobs;
}

std::vector<OutputFile> makeFiles(const std::vector<OutputJob>& jobs, int threads) {
    std::vector<Bytes> bytes =
        inParallel<Bytes>(jobs.size(), threads, [&](size_t i) { return jobs[i].make(); });
    std::vector<OutputFile> out;
    for (size_t i = 0; i < jobs.size(); ++i) out.push_back({jobs[i].name, std::move(bytes[i])});
    return out;
}

PictureCache paintPictures(int threads) {
    const std::vector<SceneAsset>& assets = sceneAssets();
    std::vector<Image> pictures =
        inParallel<Image>(assets.size(), threads, [&](size_t i) { return assets[i].paint(1); });
    PictureCache cache;
    for (size_t i = 0; i < assets.size(); ++i)
        cache.emplace(assets[i].file, std::move(pictures[i]));
    return cache;
}

std::vector<OutputFile> resourceFiles() {
    PictureCache cache;
    return resourceFiles(cache);
}

std::vector<OutputFile> resourceFiles(PictureCache& cache) {
    std::vector<OutputFile> out;
    const Image preview = composeScene(1, false, true, cache);
    out.push_back({"preview.bmp", encodeBmp8(preview.resized(153, 115))});
    // The settings window's pane at 200% and 300% display scaling: painted at that size from
    // the whole scene, not enlarged from the small one.
    for (int k : {2, 3})
        out.push_back({"preview" + std::to_string(k) + ".jpg",
                       encodeJpeg(preview.resized(153 * k, 115 * k), 92)});
    for (int s = 1; s <= 6; ++s) {
        // The upper left corner, mostly stone with the fire beside it, tells
        // the styles apart at thumbnail size better than the whole hearth.
        Image scene = composeScene(s, true, false, cache);
        Image crop(340, 340);
        for (int y = 0; y < 340; ++y)
            for (int x = 0; x < 340; ++x) crop.set(x, y, scene.get(x, y + 90));
        out.push_back({"thumb" + std::to_string(s) + ".jpg", encodeJpeg(crop.resized(50, 50), 92)});
    }
    out.push_back({"wall.bmp", encodeBmp24(paintWall())});
    out.push_back({"wall-hd.png", encodePng(paintWall(kHighDetail))});
    out.push_back({"hrthglow.ico", encodeIcon({paintIconFlame(32), paintIconFlame(16)})});
    return out;
}

std::string generateAll(const std::string& installDir, const std::string& resourceDir,
                        int threads) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string highDetailDir = (fs::path(installDir) / kHighDetailFolder).string();
    for (const std::string& dir : {installDir, highDetailDir, resourceDir}) {
        fs::create_directories(dir, ec);
        if (ec) return "cannot create " + dir + ": " + ec.message();
    }
    // Every picture at detail 1 once: the bitmaps and the scenes of the preview and the
    // thumbnails are made from the same paintings.
    PictureCache cache = paintPictures(threads);
    for (const OutputFile& f : makeFiles(installJobs(&cache), threads))
        if (!writeFile((fs::path(installDir) / f.name).string(), f.bytes))
            return "cannot write " + f.name + " in " + installDir;
    for (const OutputFile& f : resourceFiles(cache))
        if (!writeFile((fs::path(resourceDir) / f.name).string(), f.bytes))
            return "cannot write " + f.name + " in " + resourceDir;
    return {};
}

}  // namespace assetgen
