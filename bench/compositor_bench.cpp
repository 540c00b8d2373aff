// One full frame of the hearth with every layer on, timed against the floors that bound it: a
// memcpy of the frame's bytes, a memcpy of every byte the frame writes, and SDL2's software
// blitter composing the same layers with a colour key, all in 32-bit pixels 0x00RRGGBB as the
// frame is composed now (the blitter's side used to be RGB565 and is no longer: the comparison
// only holds in the format we compose in). Then the default scene composed whole at each detail
// (1, 2 and 3 as screens get them, and 4 beyond them), each reported as a ratio to a memcpy of
// the same frame's bytes. Also the time to load the scene's pictures against reading their
// files, and the memory the loaded scene holds.
//
// Uses the generated pictures when they exist (HG_ASSETS or the build's install folder), and
// otherwise synthetic pictures of the same sizes. Pictures at a detail above 1 come from their
// high-detail twins (HighDetail/ beside the files) where those exist and match, else from the
// pictures enlarged; the label says which the run could have used.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "display/compositor.h"
#include "media/byte_reader.h"

namespace {

using hg::Compositor;
using hg::Picture;

constexpr uint32_t kKey = 0x00FF00FF;  // magenta as 0x00RRGGBB, the SDL side's colour key

struct Layer {
    const char* file;
    int x, y, w, h;  // sizes for synthetic pictures
};

// Back to front, every layer a frame can show at once: style 3 with its mantel, the calendar
// at the bottom right, all decorations.
const Layer kFrame[] = {
    {"Flame1.bmp", 70, 27, 660, 540},      {"Logs.bmp", 83, 435, 634, 165},
    {"AndIronL.bmp", 50, 292, 170, 308},   {"AndIronR.bmp", 580, 292, 170, 308},
    {"RiverRockR.bmp", 712, 214, 88, 386}, {"RiverRockL.bmp", -2, 210, 92, 390},
    {"RiverRockT.bmp", 0, 0, 800, 250},    {"m-RiverRock.bmp", 81, 0, 638, 44},
    {"Calendar.bmp", 730, 510, 65, 88},    {"Stocking.bmp", 95, 19, 80, 135},
    {"Stocking.bmp", 271, 19, 80, 135},    {"Stocking.bmp", 447, 19, 80, 135},
    {"Stocking.bmp", 625, 19, 80, 135},    {"bellr.bmp", 0, -10, 90, 105},
    {"belll.bmp", 720, 0, 80, 95},         {"poinr.bmp", -5, 440, 175, 160},
    {"poinl.bmp", 650, 450, 150, 150},
};

// Back to front, the default scene as a frame draws it: the flames, logs and andirons, the
// surround of style 1 (which has no mantel), the calendar in its seeded corner (lower left), the
// four stockings at their seeded height and both bells and poinsettias. The calendar's text is
// the back end's to paint and is not part of the composition measured here.
const Layer kDefaultFrame[] = {
    {"Flame1.bmp", 70, 27, 660, 540},         {"Logs.bmp", 83, 435, 634, 165},
    {"AndIronL.bmp", 50, 292, 170, 308},      {"AndIronR.bmp", 580, 292, 170, 308},
    {"marRightSide.bmp", 700, 212, 100, 388}, {"marLeftSide.bmp", 0, 212, 100, 388},
    {"marTopSide.bmp", 0, 0, 800, 250},       {"Calendar.bmp", 5, 510, 65, 88},
    {"Stocking.bmp", 95, 19, 80, 135},        {"Stocking.bmp", 271, 19, 80, 135},
    {"Stocking.bmp", 447, 19, 80, 135},       {"Stocking.bmp", 625, 19, 80, 135},
    {"bellr.bmp", 0, -10, 90, 105},           {"belll.bmp", 720, 0, 80, 95},
    {"poinr.bmp", -5, 440, 175, 160},         {"poinl.bmp", 650, 450, 150, 150},
};

// Every load of the scene's start-up, in its order (the flame's ten frames in one surface).
std::vector<std::vector<std::string>> SceneLoads() {
    std::vector<std::vector<std::string>> s;
    for (int i = 0; i < 4; ++i) s.push_back({"Stocking.bmp"});
    for (const char* f : {"poinr.bmp", "poinl.bmp", "bellr.bmp", "belll.bmp", "Calendar.bmp"})
        s.push_back({f});
    std::vector<std::string> flame;
    for (int k = 1; k <= 10; ++k) flame.push_back("Flame" + std::to_string(k) + ".bmp");
    s.push_back(flame);
    s.push_back({"Logs.bmp"});
    for (const char* f :
         {"marLeftSide.bmp",   "marRightSide.bmp", "marTopSide.bmp",  "mar2LeftSide.bmp",
          "mar2RightSide.bmp", "mar2TopSide.bmp",  "RiverRockL.bmp",  "RiverRockR.bmp",
          "RiverRockT.bmp",    "m-RiverRock.bmp",  "DRiverRockL.bmp", "DRiverRockR.bmp",
          "DRiverRockT.bmp",   "m-DRiverRock.bmp", "FlatStoneL.bmp",  "FlatStoneR.bmp",
          "FlatStoneT.bmp",    "m-Flatstone.bmp",  "OldRockL.bmp",    "OldRockR.bmp",
          "OldRockT.bmp",      "m-OldRock.bmp",    "AndIronL.bmp",    "AndIronR.bmp"})
        s.push_back({f});
    return s;
}

std::string AssetDir() {
    const char* env = std::getenv("HG_ASSETS");
    std::string dir = env ? env : HG_ASSET_DIR;
    return std::filesystem::exists(dir + "/Flame1.bmp") ? dir : std::string();
}

std::vector<uint8_t> ReadPicture(const std::string& path) {
    return hg::ReadFileBytes(path, Compositor::kMaxPictureFileBytes)
        .value_or(std::vector<uint8_t>{});
}

// Stone with a hole where the fire shows through, so runs are split as in the real art.
std::shared_ptr<const Picture> Synthetic(const Layer& l) {
    std::vector<uint8_t> rgba(static_cast<size_t>(l.w) * l.h * 4);
    for (int y = 0; y < l.h; ++y)
        for (int x = 0; x < l.w; ++x) {
            uint8_t* p = &rgba[(static_cast<size_t>(y) * l.w + x) * 4];
            const double dx = (x - l.w / 2.0) / (l.w / 2.0), dy = (y - l.h) / (l.h * 0.6);
            const bool hole = dx * dx + dy * dy < 0.5;
            p[0] = hole ? 255 : uint8_t(x * 7 + y);
            p[1] = hole ? 0 : uint8_t(x ^ y);
            p[2] = hole ? 255 : uint8_t(y * 3);
            p[3] = 255;
        }
    return Picture::FromRgba(rgba.data(), l.w, l.h, hg::KeyColour(-1));
}

struct Scene {
    std::vector<std::shared_ptr<const Picture>> pictures;  // one per layer of kFrame
    size_t touchedBytes = 0;                               // the clear plus every opaque pixel
    bool real = false;

    Scene() {
        const std::string dir = AssetDir();
        real = !dir.empty();
        std::map<std::string, std::shared_ptr<const Picture>> byFile;
        touchedBytes = size_t{Compositor::kWidth} * Compositor::kHeight * sizeof(uint32_t);
        for (const Layer& l : kFrame) {
            auto& p = byFile[l.file];
            if (!p)
                p = real ? hg::DecodePicture(ReadPicture(dir + "/" + l.file), -1) : Synthetic(l);
            pictures.push_back(p);
            for (int y = 0; y < p->Height(); ++y) {
                if (l.y + y < 0 || l.y + y >= Compositor::kHeight) continue;
                for (auto* r = p->RunsBegin(y); r != p->RunsEnd(y); ++r) {
                    const int a = std::max(l.x + r->x, 0);
                    const int b = std::min(l.x + r->x + r->length, Compositor::kWidth);
                    if (a < b) touchedBytes += size_t(b - a) * sizeof(uint32_t);
                }
            }
        }
    }
};

const Scene& TheScene() {
    static const Scene scene;
    return scene;
}

void BM_Frame(benchmark::State& state) {
    const Scene& scene = TheScene();
    Compositor c([] { return 0u; });
    std::vector<int32_t> surfaces;
    for (size_t i = 0; i < std::size(kFrame); ++i) {
        int32_t s = c.NewSurface();
        c.SetFramePicture(s, 1, scene.pictures[i]);
        c.SetX(s, kFrame[i].x);
        c.SetY(s, kFrame[i].y);
        surfaces.push_back(s);
    }
    for (auto _ : state) {
        c.Clear(0);
        for (int32_t s : surfaces) c.Draw(s);
        benchmark::DoNotOptimize(c.BackBuffer());
        benchmark::ClobberMemory();
    }
    state.counters["touched_MB"] = double(scene.touchedBytes) / 1e6;
}

constexpr size_t kFrameBytes = size_t{Compositor::kWidth} * Compositor::kHeight * sizeof(uint32_t);

void Copy(benchmark::State& state, size_t bytes) {
    const size_t frame = kFrameBytes;
    std::vector<uint8_t> from(frame, 1), to(frame, 0);
    for (auto _ : state) {
        for (size_t done = 0; done < bytes; done += frame)
            std::memcpy(to.data(), from.data(), std::min(frame, bytes - done));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

void BM_MemcpyFrame(benchmark::State& state) { Copy(state, kFrameBytes); }

void BM_MemcpyTouched(benchmark::State& state) { Copy(state, TheScene().touchedBytes); }

// The same layers through SDL_BlitSurface, each a keyed 32-bit surface (SDL's RGB888 is
// 0x00RRGGBB, as ours); `rle` lets SDL encode the key as runs first (its accelerated path),
// otherwise it tests every pixel.
void Sdl(benchmark::State& state, bool rle) {
    const Scene& scene = TheScene();
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, Compositor::kWidth, Compositor::kHeight,
                                                         32, SDL_PIXELFORMAT_RGB888);
    std::vector<SDL_Surface*> layers;
    for (const auto& p : scene.pictures) {
        SDL_Surface* s =
            SDL_CreateRGBSurfaceWithFormat(0, p->Width(), p->Height(), 32, SDL_PIXELFORMAT_RGB888);
        for (int y = 0; y < p->Height(); ++y) {
            auto* row =
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
            std::fill_n(row, p->Width(), kKey);
            for (auto* r = p->RunsBegin(y); r != p->RunsEnd(y); ++r)
                std::memcpy(row + r->x, p->Row(y) + r->x, r->length * sizeof(uint32_t));
        }
        SDL_SetColorKey(s, SDL_TRUE, kKey);
        SDL_SetSurfaceRLE(s, rle ? 1 : 0);
        layers.push_back(s);
    }
    for (auto _ : state) {
        SDL_FillRect(screen, nullptr, 0);
        for (size_t i = 0; i < layers.size(); ++i) {
            SDL_Rect at{kFrame[i].x, kFrame[i].y, 0, 0};
            SDL_BlitSurface(layers[i], nullptr, screen, &at);
        }
        benchmark::DoNotOptimize(screen->pixels);
        benchmark::ClobberMemory();
    }
    for (SDL_Surface* s : layers) SDL_FreeSurface(s);
    SDL_FreeSurface(screen);
}

void BM_SdlKeyed(benchmark::State& state) { Sdl(state, false); }
void BM_SdlKeyedRle(benchmark::State& state) { Sdl(state, true); }

bool HaveTwins() {
    const std::string dir = AssetDir();
    return !dir.empty() && std::filesystem::is_directory(dir + "/HighDetail");
}

// The default scene in `c`, a surface a layer in drawing order: the generated pictures loaded
// from their files (so that their twins are found), else synthetic ones.
std::vector<int32_t> DefaultScene(Compositor& c) {
    const std::string dir = AssetDir();
    std::map<std::string, std::shared_ptr<const Picture>> synthetic;
    std::vector<int32_t> surfaces;
    for (const Layer& l : kDefaultFrame) {
        const int32_t s = c.NewSurface();
        if (!dir.empty()) {
            c.LoadFrame(s, 1, dir + "/" + l.file, -1);
        } else {
            auto& p = synthetic[l.file];
            if (!p) p = Synthetic(l);
            c.SetFramePicture(s, 1, p);
        }
        c.SetX(s, l.x);
        c.SetY(s, l.y);
        surfaces.push_back(s);
    }
    return surfaces;
}

// The whole default scene composed at detail k into the back buffer, and, after each frame, a
// memcpy of the frame's bytes (800k x 600k pixels of four bytes) between two buffers of their
// own, timed on its own: both run under the same conditions, and `ratio` is the frame's time
// over the copy's. The time reported is the frame's alone (the CPU column holds both). The
// pictures at the detail are made on the first draw, before the timing.
void BM_FrameAtDetail(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const int k = static_cast<int>(state.range(0));
    Compositor c([] { return 0u; });
    c.UseBackBuffer(nullptr, k);
    const std::vector<int32_t> surfaces = DefaultScene(c);
    auto compose = [&] {
        c.Clear(0);
        for (int32_t s : surfaces) c.Draw(s);
    };
    compose();
    const size_t bytes = size_t(c.Width()) * c.Height() * sizeof(uint32_t);
    std::vector<uint32_t> from(bytes / sizeof(uint32_t), 0x00123456), to(from.size(), 0);
    double composing = 0, copying = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        compose();
        benchmark::DoNotOptimize(c.BackBuffer());
        benchmark::ClobberMemory();
        const auto t1 = Clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        const double frame = std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(frame);
        composing += frame;
        copying += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["memcpy_us"] =
        benchmark::Counter(copying * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = copying > 0 ? composing / copying : 0;
    state.counters["frame_MB"] = double(bytes) / 1e6;
    state.counters["detail_MB"] = double(c.DetailBytes()) / 1e6;
    std::string label = AssetDir().empty() ? "synthetic" : "generated";
    if (k > 1) label += HaveTwins() ? ", HighDetail/ present" : ", enlarged";
    state.SetLabel(label);
}

// What a picture's first draw at a detail (the argument) costs, the picture at the detail made
// there and then (from its twin when it has one): what a style rotation adds to the frame that
// first shows it.
void BM_FirstDrawAtDetail(benchmark::State& state, const char* file) {
    const std::string dir = AssetDir();
    if (dir.empty()) {
        state.SkipWithError("no generated pictures");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        Compositor c([] { return 0u; });
        c.UseBackBuffer(nullptr, static_cast<int>(state.range(0)));
        const int32_t s = c.NewSurface();
        c.LoadFrame(s, 1, dir + "/" + file, -1);
        state.ResumeTiming();
        c.Draw(s);
        benchmark::DoNotOptimize(c.BackBuffer());
    }
    state.SetLabel(HaveTwins() ? "HighDetail/ present" : "enlarged");
}

void LoadAll(Compositor& c, const std::string& dir) {
    for (const auto& files : SceneLoads()) {
        int32_t s = c.NewSurface();
        for (size_t k = 0; k < files.size(); ++k)
            c.LoadFrame(s, static_cast<int32_t>(k + 1), dir + "/" + files[k], -1);
    }
}

void BM_LoadScene(benchmark::State& state) {
    const std::string dir = AssetDir();
    if (dir.empty()) return state.SkipWithError("no generated pictures");
    for (auto _ : state) {
        Compositor c([] { return 0u; });
        LoadAll(c, dir);
        benchmark::DoNotOptimize(c.PictureBytes());
    }
}

void BM_ReadSceneFiles(benchmark::State& state) {
    const std::string dir = AssetDir();
    if (dir.empty()) return state.SkipWithError("no generated pictures");
    for (auto _ : state) {
        size_t total = 0;
        for (const auto& files : SceneLoads())
            for (const auto& f : files) total += ReadPicture(dir + "/" + f).size();
        benchmark::DoNotOptimize(total);
    }
}

BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyTouched)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlKeyed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlKeyedRle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameAtDetail)
    ->DenseRange(1, Compositor::kFinestDetail)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadScene)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstDrawAtDetail, RiverRockT, "RiverRockT.bmp")
    ->DenseRange(2, 3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstDrawAtDetail, RiverRockL, "RiverRockL.bmp")
    ->DenseRange(2, 3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstDrawAtDetail, Flame1, "Flame1.bmp")
    ->DenseRange(2, 3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSceneFiles)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time so the ratios can be printed from this same run.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // With --benchmark_repetitions the median stands for the benchmark: on a machine
        // shared with other work a single run can be far off.
        for (const Run& r : runs) {
            if (r.error_occurred) continue;
            const double t =
                r.GetAdjustedRealTime() * (r.time_unit == benchmark::kMillisecond ? 1e6 : 1e3);
            if (r.run_type == Run::RT_Iteration)
                ns[r.benchmark_name()] = t;
            else if (r.aggregate_name == "median")
                ns[r.run_name.str()] = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ns;
};

long PeakRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    // Memory first, before anything else of the benchmark has grown the process.
    const std::string dir = AssetDir();
    if (!dir.empty()) {
        const long before = PeakRssKb();
        Compositor c([] { return 0u; });
        LoadAll(c, dir);
        const long after = PeakRssKb();
        std::printf(
            "Loaded scene: pictures %.1f MB + back buffer %.1f MB; peak RSS grew %.1f MB "
            "(to %.1f MB)\n",
            c.PictureBytes() / 1e6, kFrameBytes / 1e6, (after - before) / 1024.0, after / 1024.0);
    }
    std::printf("Layers: %s pictures\n", TheScene().real ? "generated" : "synthetic");

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.ns;
    auto ratio = [&](const char* a, const char* b) {
        if (t.count(a) && t.count(b) && t[b] > 0)
            std::printf("  %-18s / %-18s = %.2f\n", a, b, t[a] / t[b]);
    };
    std::printf("Ratios from this run:\n");
    ratio("BM_Frame", "BM_MemcpyFrame");
    ratio("BM_Frame", "BM_MemcpyTouched");
    ratio("BM_Frame", "BM_SdlKeyed");
    ratio("BM_Frame", "BM_SdlKeyedRle");
    ratio("BM_LoadScene", "BM_ReadSceneFiles");
    benchmark::Shutdown();
    return 0;
}
