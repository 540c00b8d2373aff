// What showing a frame costs once it is composed, and what the old way cost: one flame step
// through the retained frame (compare, recompose what changed, find the changed squares, scale
// them; or, with kept pixels, show again what a change seen before showed) against composing and
// scaling the whole picture every frame; the scaler against stb_image_resize (the library that was
// considered); the wall; and the logical picture's format: a frame composed in 16 bits against the
// memory floor of the same frame in 32.
//
// Uses the generated pictures (HG_ASSETS or the build's install folder).
#include <benchmark/benchmark.h>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb/stb_image_resize.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "display/ddraw_control.h"
#include "media/byte_reader.h"

namespace {

using hg::Area;
using hg::Compositor;
using hg::Picture;

constexpr int kW = Compositor::kWidth, kH = Compositor::kHeight;

std::string AssetDir() {
    const char* env = std::getenv("HG_ASSETS");
    std::string dir = env ? env : HG_ASSET_DIR;
    return std::filesystem::exists(dir + "/Flame1.bmp") ? dir : std::string();
}

std::shared_ptr<const Picture> Load(const std::string& file) {
    const auto bytes = hg::ReadFileBytes(AssetDir() + "/" + file, Compositor::kMaxPictureFileBytes);
    return hg::DecodePicture(bytes.value_or(std::vector<uint8_t>{}), -1);
}

// A drawing control whose window is memory: Show counts what it would put on the screen.
class Memory : public hg::DDrawControl {
  public:
    explicit Memory(uint32_t* now) : DDrawControl([now] { return *now; }) {}
    ~Memory() override { CloseDisplay(); }
    void Window(int w, int h) {
        screen.assign(static_cast<size_t>(w) * h, 0);
        SetWall(Load("../resources/wall.bmp"));
        Restage({screen.data(), w, h, w}, {});
    }
    std::vector<uint16_t> memory = std::vector<uint16_t>(kW * kH);
    std::vector<uint32_t> screen;
    int64_t shown = 0;
    bool showsPixels = false;  // as the Win32 back end: changes seen before come from kept pixels

  protected:
    bool ShowsPixels() const override { return showsPixels; }
    void ShowPixels(const Area& at, const uint32_t*) override { shown += at.Size(); }
    uint16_t* OpenPresentation() override { return memory.data(); }
    void ClosePresentation() override {}
    void Show(const std::vector<Area>& areas) override {
        for (const Area& a : areas) shown += a.Size();
    }
    Area TextBounds(const hg::TextFont&, const std::string&, int32_t, int32_t) override {
        return {};
    }
    void PaintText(const hg::TextFont&, const std::string&, int32_t, int32_t, hg::Colour,
                   const Area&) override {}
};

// The default scene: flames, logs, andirons and the surround of style 1.
struct Hearth {
    uint32_t now = 0;
    Memory m{&now};
    std::vector<int32_t> surfaces;
    Hearth(int w, int h) {
        m.OpenDisplay(kW, kH, 16, "");
        const int32_t flame = m.NewSurface();
        for (int k = 1; k <= 10; ++k)
            m.Pixels().SetFramePicture(flame, k, Load("Flame" + std::to_string(k) + ".bmp"));
        m.SetSurfaceX(flame, 70);
        m.SetSurfaceY(flame, 27);
        m.SetSurfaceSpeed(flame, 100);
        surfaces.push_back(flame);
        const struct {
            const char* file;
            int x, y;
        } layers[] = {{"Logs.bmp", 83, 435},       {"AndIronL.bmp", 50, 292},
                      {"AndIronR.bmp", 580, 292},  {"marRightSide.bmp", 700, 212},
                      {"marLeftSide.bmp", 0, 212}, {"marTopSide.bmp", 0, 0}};
        for (const auto& l : layers) {
            const int32_t s = m.NewSurface();
            m.Pixels().SetFramePicture(s, 1, Load(l.file));
            m.SetSurfaceX(s, l.x);
            m.SetSurfaceY(s, l.y);
            surfaces.push_back(s);
        }
        m.Window(w, h);
        Frame();
    }
    void Frame() {
        m.ClearBackBuffer(0);
        for (int32_t s : surfaces) m.DrawSurface(s);
        m.FlipDisplay();
    }
};

const std::pair<int, int> kScreens[] = {{800, 600}, {1920, 1080}, {3840, 2160}};

void BM_FlameStep(benchmark::State& state) {
    if (AssetDir().empty()) return state.SkipWithError("no generated pictures");
    const auto [w, h] = kScreens[state.range(0)];
    Hearth hearth(w, h);
    hearth.m.showsPixels = state.range(1) != 0;
    hearth.m.shown = 0;
    int64_t steps = 0;
    for (auto _ : state) {
        hearth.now += 100;
        hearth.Frame();
        ++steps;
    }
    state.counters["shown_px"] = double(hearth.m.shown) / double(steps);
    state.SetLabel(std::to_string(w) + "x" + std::to_string(h) +
                   (hearth.m.showsPixels ? " kept pixels" : ""));
}

// The old way: every frame composed whole and scaled whole.
void BM_WholeFrame(benchmark::State& state) {
    if (AssetDir().empty()) return state.SkipWithError("no generated pictures");
    const auto [w, h] = kScreens[state.range(0)];
    Hearth hearth(w, h);
    Compositor& c = hearth.m.Pixels();
    const Area hr = hearth.m.CurrentStage().hearth;
    hg::Scaler scaler(kW, kH, hr.Width(), hr.Height());
    for (auto _ : state) {
        hearth.now += 100;
        c.Clear(0);
        for (int32_t s : hearth.surfaces) c.Draw(s);
        scaler.Scale(c.BackBuffer(), hearth.m.screen.data() + hr.top * w + hr.left, w,
                     {0, 0, hr.Width(), hr.Height()});
        benchmark::DoNotOptimize(hearth.m.screen.data());
    }
    state.SetLabel(std::to_string(w) + "x" + std::to_string(h));
}

std::vector<uint16_t> Composed() {
    Hearth hearth(800, 600);
    return hearth.m.memory;
}

void BM_ScaleOurs(benchmark::State& state) {
    const auto [w, h] = kScreens[state.range(0)];
    const int hw = h * 4 / 3;
    const std::vector<uint16_t> picture = Composed();
    std::vector<uint32_t> out(static_cast<size_t>(hw) * h);
    hg::Scaler scaler(kW, kH, hw, h);
    for (auto _ : state) {
        scaler.Scale(picture.data(), out.data(), hw, {0, 0, hw, h});
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(std::to_string(hw) + "x" + std::to_string(h));
}

// stb_image_resize scales 8-bit channels, so the picture is widened from RGB565 first (that
// widening is counted: it is part of the way there).
void BM_ScaleStbResize(benchmark::State& state) {
    const auto [w, h] = kScreens[state.range(0)];
    const int hw = h * 4 / 3;
    const std::vector<uint16_t> picture = Composed();
    std::vector<uint32_t> wide(picture.size());
    std::vector<uint32_t> out(static_cast<size_t>(hw) * h);
    for (auto _ : state) {
        for (size_t i = 0; i < picture.size(); ++i) wide[i] = hg::Rgb565To888(picture[i]);
        stbir_resize(wide.data(), kW, kH, 0, out.data(), hw, h, 0, STBIR_TYPE_UINT8, 4,
                     STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP,
                     STBIR_FILTER_TRIANGLE, STBIR_FILTER_TRIANGLE, STBIR_COLORSPACE_LINEAR,
                     nullptr);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(std::to_string(hw) + "x" + std::to_string(h));
}

void BM_PaintWall(benchmark::State& state) {
    if (AssetDir().empty()) return state.SkipWithError("no generated pictures");
    const auto [w, h] = kScreens[state.range(0)];
    const auto wall = Load("../resources/wall.bmp");
    std::vector<uint32_t> out(static_cast<size_t>(w) * h);
    const hg::Stage stage = hg::Stage::For(w, h);
    for (auto _ : state) {
        hg::PaintWall(wall.get(), stage, {out.data(), w, h, w});
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(std::to_string(w) + "x" + std::to_string(h));
}

// The floors of composing the flame's area in 16 and in 32 bits a pixel: the bytes a flame
// step writes, copied.
void Floor(benchmark::State& state, size_t bytesPerPixel) {
    const size_t bytes = size_t{660} * 540 * bytesPerPixel * 3;  // clear, flame, the layers over it
    std::vector<uint8_t> from(bytes, 1), to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
void BM_FlameAreaFloor16(benchmark::State& state) { Floor(state, 2); }
void BM_FlameAreaFloor32(benchmark::State& state) { Floor(state, 4); }

BENCHMARK(BM_FlameStep)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeFrame)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScaleOurs)->DenseRange(1, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScaleStbResize)->DenseRange(1, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintWall)->DenseRange(1, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlameAreaFloor16)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlameAreaFloor32)->Unit(benchmark::kMicrosecond);

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (!r.error_occurred) us[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> us;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.us;
    auto ratio = [&](const std::string& a, const std::string& b) {
        if (t.count(a) && t.count(b) && t[b] > 0)
            std::printf("  %-22s / %-24s = %.3f\n", a.c_str(), b.c_str(), t[a] / t[b]);
    };
    std::printf("Ratios from this run:\n");
    for (const char* n : {"0", "1", "2"}) {
        ratio(std::string("BM_FlameStep/") + n + "/0", std::string("BM_WholeFrame/") + n);
        ratio(std::string("BM_FlameStep/") + n + "/1", std::string("BM_WholeFrame/") + n);
    }
    for (const char* n : {"1", "2"})
        ratio(std::string("BM_ScaleOurs/") + n, std::string("BM_ScaleStbResize/") + n);
    ratio("BM_FlameAreaFloor32", "BM_FlameAreaFloor16");
    benchmark::Shutdown();
    return 0;
}
