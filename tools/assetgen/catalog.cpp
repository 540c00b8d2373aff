#include "catalog.h"

#include <filesystem>
#include <stdexcept>

#include "art.h"

namespace assetgen {

namespace {

SceneAsset surroundAsset(const std::string& file, int style, SurroundPart part) {
    Placement p = surroundPlacement(style, part);
    return {file, p.x, p.y, p.width, p.height, [=] { return paintSurround(style, part); }};
}

SceneAsset mantelAsset(const std::string& file, int style) {
    Placement p = mantelPlacement(style);
    return {file, p.x, p.y, p.width, p.height, [=] { return paintMantel(style); }};
}

std::vector<SceneAsset> buildCatalogue() {
    std::vector<SceneAsset> a;
    a.push_back({"Stocking.bmp", 95, 19, kStockingW, kStockingH, [] { return paintStocking(); }});
    a.push_back({"poinr.bmp", -5, 440, 175, 160, [] { return paintPoinsettia(true); }});
    a.push_back({"poinl.bmp", 650, 450, 150, 150, [] { return paintPoinsettia(false); }});
    a.push_back({"bellr.bmp", 0, -10, 90, 105, [] { return paintBells(true); }});
    a.push_back({"belll.bmp", 720, 0, 80, 95, [] { return paintBells(false); }});
    a.push_back({"Calendar.bmp", 5, 510, kCalendarW, kCalendarH, [] { return paintCalendar(); }});
    for (int k = 0; k < kFlameFrames; ++k)
        a.push_back({"Flame" + std::to_string(k + 1) + ".bmp", 70, 27, kFlameW, kFlameH,
                     [k] { return paintFlame(k); }});
    a.push_back({"Logs.bmp", 83, 435, kLogsW, kLogsH, [] { return paintLogs(); }});
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
    a.push_back({"AndIronL.bmp", 50, 292, kAndIronW, kAndIronH, [] { return paintAndIron(true); }});
    a.push_back({"AndIronR.bmp", 580, 292, kAndIronW, kAndIronH, [] { return paintAndIron(false); }});
    return a;
}

const SceneAsset& find(const std::string& file) {
    for (const SceneAsset& a : sceneAssets())
        if (a.file == file) return a;
    throw std::runtime_error("no picture " + file);
}


const Image& picture(PictureCache& cache, const std::string& file) {
    auto it = cache.find(file);
    if (it == cache.end()) it = cache.emplace(file, find(file).paint()).first;
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

std::vector<OutputFile> installFiles() {
    std::vector<OutputFile> out;
    for (const SceneAsset& a : sceneAssets()) out.push_back({a.file, encodeBmp24(a.paint())});
    return out;
}

std::vector<OutputFile> resourceFiles() {
    std::vector<OutputFile> out;
    PictureCache cache;
    out.push_back({"preview.bmp", encodeBmp8(composeScene(1, false, true, cache).resized(153, 115))});
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
    out.push_back({"hrthglow.ico", encodeIcon({paintIconFlame(32), paintIconFlame(16)})});
    return out;
}

std::string generateAll(const std::string& installDir, const std::string& resourceDir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const std::string& dir : {installDir, resourceDir}) {
        fs::create_directories(dir, ec);
        if (ec) return "cannot create " + dir + ": " + ec.message();
    }
    for (const OutputFile& f : installFiles())
        if (!writeFile((fs::path(installDir) / f.name).string(), f.bytes))
            return "cannot write " + f.name + " in " + installDir;
    for (const OutputFile& f : resourceFiles())
        if (!writeFile((fs::path(resourceDir) / f.name).string(), f.bytes))
            return "cannot write " + f.name + " in " + resourceDir;
    return {};
}

}  // namespace assetgen
