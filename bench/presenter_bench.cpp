// What showing a frame costs once it is composed, and what the old way cost: one flame step
// through the retained frame (compare, recompose what changed, find the changed squares, scale
// them; or, with kept pixels, show again what a change seen before showed) against composing and
// scaling the whole picture every frame, at windows whose hearth gets detail 1, 2 and 3; the same
// step at the compositor alone at detail 1 to 4 (no screen is given 4, so only there can it be
// measured); the scaler against stb_image_resize (the library that was considered); the wall;
// and the memory floor of the 32-bit frame at each detail. The steps are reported as ratios to a
// memcpy of the bytes they recompose.
//
// No longer measured: the 16-bit frame against the 32-bit floor (the frame is composed in 32
// bits only), and the widening of RGB565 before stb_image_resize (the composed picture is
// already 8 bits a channel, so stb_image_resize now scales it as it is).
//
// Uses the generated pictures (HG_ASSETS or the build's install folder), and their high-detail
// twins when a HighDetail/ folder lies beside them.
#include <benchmark/benchmark.h>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb/stb_image_resize.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "display/ddraw_control.h"
#include "display/detail.h"
#include "media/byte_reader.h"

namespace {

using hg::Area;
using hg::Compositor;
using hg::Picture;
using Clock = std::chrono::steady_clock;

constexpr int kW = Compositor::kWidth, kH = Compositor::kHeight;
constexpr int kFlameX = 70, kFlameY = 27, kFlameW = 660, kFlameH = 540;

std::string AssetDir() {
    const char* env = std::getenv("HG_ASSETS");
    std::string dir = env ? env : HG_ASSET_DIR;
    return std::filesystem::exists(dir + "/Flame1.bmp") ? dir : std::string();
}

bool HaveTwins() { return std::filesystem::is_directory(AssetDir() + "/HighDetail"); }

std::shared_ptr<const Picture> Load(const std::string& file) {
    const auto bytes = hg::ReadFileBytes(AssetDir() + "/" + file, Compositor::kMaxPictureFileBytes);
    return hg::DecodePicture(bytes.value_or(std::vector<uint8_t>{}), -1);
}

std::string FlameFile(int frame) { return "Flame" + std::to_string(frame) + ".bmp"; }

// The default scene after the flames, back to front as a frame draws it: the logs and andirons,
// the surround of style 1, the calendar in its seeded corner (lower left), the four stockings at
// their seeded height and both bells and poinsettias. The calendar's text is painted by the back
// end, which here paints none.
const struct {
    const char* file;
    int x, y;
} kLayers[] = {
    {"Logs.bmp", 83, 435},          {"AndIronL.bmp", 50, 292},   {"AndIronR.bmp", 580, 292},
    {"marRightSide.bmp", 700, 212}, {"marLeftSide.bmp", 0, 212}, {"marTopSide.bmp", 0, 0},
    {"Calendar.bmp", 5, 510},       {"Stocking.bmp", 95, 19},    {"Stocking.bmp", 271, 19},
    {"Stocking.bmp", 447, 19},      {"Stocking.bmp", 625, 19},   {"bellr.bmp", 0, -10},
    {"belll.bmp", 720, 0},          {"poinr.bmp", -5, 440},      {"poinl.bmp", 650, 450},
};

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
    std::vector<uint32_t> memory;  // the logical picture at the detail
    std::vector<uint32_t> screen;
    int64_t shown = 0;
    bool keepsSteps = false;  // as the back ends do: changes seen before come from kept pixels

  protected:
    bool KeepsSteps() const override { return keepsSteps; }
    bool OpenPresentation() override { return true; }
    uint32_t* DetailBuffer(int detail) override {
        memory.assign(static_cast<size_t>(kW) * detail * kH * detail, 0);
        return memory.data();
    }
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

// The default scene in a window of w x h, loaded from the files as the scene loads it (so the
// pictures' twins are found), its first frame shown.
struct Hearth {
    uint32_t now = 0;
    Memory m{&now};
    int32_t flame = 0;
    std::vector<int32_t> surfaces;  // in drawing order, the flame's first
    Hearth(int w, int h) {
        const std::string dir = AssetDir() + "/";
        m.OpenDisplay(kW, kH, 16, "");
        flame = m.NewSurface();
        for (int k = 1; k <= 10; ++k) m.LoadSurfaceFrame(flame, k, dir + FlameFile(k), -1);
        m.SetSurfaceFrame(flame, 1);
        m.SetSurfaceSpeed(flame, 100);
        m.SetSurfaceX(flame, kFlameX);
        m.SetSurfaceY(flame, kFlameY);
        surfaces.push_back(flame);
        for (const auto& l : kLayers) {
            const int32_t s = m.NewSurface();
            m.LoadSurfaceFrame(s, 1, dir + l.file, -1);
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
    int Detail() { return m.Pixels().Detail(); }
    const Picture* Flame() { return m.Pixels().Showing(flame).picture.get(); }
};

// What each step of the flames' ring leaves to recompose: the areas where its two frames
// differ, on the screen, as the retained frame finds them (the rest of the scene is drawn the
// same each frame). Learnt on first sight, as the drawing control learns them.
class Ring {
  public:
    const std::vector<Area>& Areas(const Picture& shownA, const Picture& shownB) {
        const auto key = std::make_pair(&shownA, &shownB);
        auto found = steps_.find(key);
        if (found != steps_.end()) return found->second;
        // At a detail above 1 the shown frames have let their own pixels go: the same frames,
        // read again, tell where they differ.
        const Picture& a = Own(shownA);
        const Picture& b = Own(shownB);
        const Area bounds{kFlameX, kFlameY, std::min(kW, kFlameX + b.Width()),
                          std::min(kH, kFlameY + b.Height())};
        std::vector<Area> areas;
        for (const Area& d : hg::PictureDifference(a, b)) {
            const Area at =
                Area{d.left + kFlameX, d.top + kFlameY, d.right + kFlameX, d.bottom + kFlameY}
                    .Intersect(bounds);
            if (!at.Empty()) areas.push_back(at);
        }
        return steps_[key] = hg::MergeAreas(std::move(areas));
    }
    // The back buffer's bytes of those areas at `detail`.
    size_t Bytes(const Picture& a, const Picture& b, int detail) {
        size_t bytes = 0;
        for (const Area& at : Areas(a, b))
            bytes += static_cast<size_t>(at.Size()) * detail * detail * sizeof(uint32_t);
        return bytes;
    }

    // The flame frame (from 1) that a shown picture is.
    void Name(const Picture* shown, int frame) { frames_[shown] = frame; }

  private:
    const Picture& Own(const Picture& shown) {
        if (shown.HasPixels()) return shown;
        if (own_.empty())
            for (int k = 1; k <= 10; ++k) own_.push_back(Load(FlameFile(k)));
        const auto named = frames_.find(&shown);
        if (named == frames_.end() || named->second < 1 || named->second > 10) return shown;
        return *own_[static_cast<size_t>(named->second - 1)];
    }
    std::vector<std::shared_ptr<const Picture>> own_;
    std::map<const Picture*, int> frames_;
    std::map<std::pair<const Picture*, const Picture*>, std::vector<Area>> steps_;
};

// The bytes of the flame's whole area at `detail`: no step recomposes more.
size_t FlameAreaBytes(int detail) {
    return size_t{kFlameW} * kFlameH * detail * detail * sizeof(uint32_t);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A memcpy of as many bytes as a step recomposed, between two buffers of its own, timed right
// after the step: both run under the same conditions (the caches as a step leaves them).
class PairedCopy {
  public:
    explicit PairedCopy(size_t most) : from_(most, 1), to_(most, 0) {}
    double Seconds(size_t bytes) {
        const auto t0 = Clock::now();
        std::memcpy(to_.data(), from_.data(), bytes);
        benchmark::DoNotOptimize(to_.data());
        benchmark::ClobberMemory();
        return ::Seconds(Clock::now() - t0);
    }

  private:
    std::vector<uint8_t> from_, to_;
};

// The step's time over the copy's as `ratio`; the copy's own time and the bytes a step
// recomposed on average beside it.
void ReportAgainstCopy(benchmark::State& state, double stepping, double copying, double bytes) {
    using benchmark::Counter;
    state.counters["memcpy_us"] = Counter(copying * 1e6, Counter::kAvgIterations);
    state.counters["step_MB"] = Counter(bytes / 1e6, Counter::kAvgIterations);
    state.counters["ratio"] = copying > 0 ? stepping / copying : 0;
}

std::string Named(int w, int h, int detail) {
    return std::to_string(w) + "x" + std::to_string(h) + " detail " + std::to_string(detail) +
           (detail > 1 && HaveTwins() ? " HighDetail/" : "");
}

// Windows whose hearth gets detail 1, 2 and 3 (the hearth fills them), and the two real
// screens most seen, which get 2 and 3 too.
const std::pair<int, int> kWindows[] = {
    {800, 600}, {1600, 1200}, {2400, 1800}, {1920, 1080}, {3840, 2160}};

// One step of the flames through the drawing control, from FlipDisplay's comparison to showing.
// The first two rounds of the ring are not timed: the first makes the flames' pictures at the
// detail and learns their changes, the second runs as every later one does. The time reported
// is the step's alone (the CPU column holds the paired copy too); `ratio` is to a memcpy of the
// back buffer's bytes that the step's change leaves to recompose (see Ring).
void BM_FlameStep(benchmark::State& state) {
    if (AssetDir().empty()) return state.SkipWithError("no generated pictures");
    const auto [w, h] = kWindows[state.range(0)];
    Hearth hearth(w, h);
    hearth.m.keepsSteps = state.range(1) != 0;
    const int k = hearth.Detail();
    Ring ring;
    const Picture* before = hearth.Flame();
    ring.Name(before, hearth.m.Pixels().CurrentFrame(hearth.flame));
    for (int i = 0; i < 20; ++i) {
        hearth.now += 100;
        hearth.Frame();
        ring.Name(hearth.Flame(), hearth.m.Pixels().CurrentFrame(hearth.flame));
        ring.Areas(*before, *hearth.Flame());
        before = hearth.Flame();
    }
    hearth.m.shown = 0;
    PairedCopy copy(FlameAreaBytes(k));
    double stepping = 0, copying = 0, bytes = 0;
    int64_t steps = 0;
    for (auto _ : state) {
        hearth.now += 100;
        const auto t0 = Clock::now();
        hearth.Frame();
        const double step = Seconds(Clock::now() - t0);
        state.SetIterationTime(step);
        stepping += step;
        const Picture* now = hearth.Flame();
        const size_t b = ring.Bytes(*before, *now, k);
        before = now;
        copying += copy.Seconds(b);
        bytes += double(b);
        ++steps;
    }
    ReportAgainstCopy(state, stepping, copying, bytes);
    state.counters["shown_px"] = double(hearth.m.shown) / double(std::max<int64_t>(steps, 1));
    state.counters["detail_MB"] = double(hearth.m.Pixels().DetailBytes()) / 1e6;
    state.counters["kept_MB"] = double(hearth.m.KeptPixelBytes()) / 1e6;
    state.SetLabel(Named(w, h, k) + (hearth.m.keepsSteps ? " kept pixels" : ""));
}

// The same step at the compositor alone, at any detail up to the finest (4, which no screen is
// given, so the drawing control never composes at it): the areas the flame's change leaves are
// recomposed (a clear, then every layer clipped to them) and copied to the picture as last
// shown, as the control does to compare the next frame with. What the control adds, the
// comparison of the drawings, the search for changed squares and the scaling onto the window,
// is not part of it.
void BM_ComposedFlameStep(benchmark::State& state) {
    if (AssetDir().empty()) return state.SkipWithError("no generated pictures");
    const int k = static_cast<int>(state.range(0));
    uint32_t now = 0;
    // Room for the flames' ten frames at 4 with the rest of the scene: the display's own budget
    // is sized for 3, and pictures let go and made again would be timed too.
    Compositor c([&now] { return now; }, Compositor::kPictureBudget, size_t{512} << 20);
    c.UseBackBuffer(nullptr, k);
    const std::string dir = AssetDir() + "/";
    std::vector<int32_t> surfaces{c.NewSurface()};
    for (int f = 1; f <= 10; ++f) c.LoadFrame(surfaces[0], f, dir + FlameFile(f), -1);
    c.SetFrame(surfaces[0], 1);
    c.SetSpeed(surfaces[0], 100);
    c.SetX(surfaces[0], kFlameX);
    c.SetY(surfaces[0], kFlameY);
    for (const auto& l : kLayers) {
        surfaces.push_back(c.NewSurface());
        c.LoadFrame(surfaces.back(), 1, dir + l.file, -1);
        c.SetX(surfaces.back(), l.x);
        c.SetY(surfaces.back(), l.y);
    }
    c.Clear(0);
    for (int32_t s : surfaces) c.Draw(s);
    const size_t stride = static_cast<size_t>(c.Width());
    std::vector<uint32_t> shown(c.BackBuffer(), c.BackBuffer() + stride * c.Height());
    Ring ring;
    std::vector<Compositor::Shown> drawn;
    const Picture* before = c.Showing(surfaces[0]).picture.get();
    ring.Name(before, c.CurrentFrame(surfaces[0]));
    // Gives the flame frame it stepped to.
    auto step = [&] {
        drawn.clear();
        for (int32_t s : surfaces) drawn.push_back(c.Showing(s));
        const Picture* flame = drawn.front().picture.get();
        ring.Name(flame, c.CurrentFrame(surfaces[0]));
        for (const Area& a : ring.Areas(*before, *flame)) {
            c.Clear(0, a);
            for (const Compositor::Shown& d : drawn)
                if (d.picture) c.DrawPicture(*d.picture, d.x, d.y, a);
            const Area at = hg::ToDetail(a, k);
            for (int y = at.top; y < at.bottom; ++y)
                std::memcpy(shown.data() + y * stride + at.left,
                            c.BackBuffer() + y * stride + at.left,
                            sizeof(uint32_t) * static_cast<size_t>(at.Width()));
        }
        return flame;
    };
    // One round of the ring makes the flames' other pictures at the detail.
    for (int i = 0; i < 10; ++i) {
        now += 100;
        before = step();
    }
    const size_t heldBefore = c.DetailBytes();
    PairedCopy copy(FlameAreaBytes(k));
    double stepping = 0, copying = 0, bytes = 0;
    for (auto _ : state) {
        now += 100;
        const auto t0 = Clock::now();
        const Picture* flame = step();
        benchmark::DoNotOptimize(shown.data());
        benchmark::ClobberMemory();
        const double t = Seconds(Clock::now() - t0);
        state.SetIterationTime(t);
        stepping += t;
        const size_t b = ring.Bytes(*before, *flame, k);
        before = flame;
        copying += copy.Seconds(b);
        bytes += double(b);
    }
    if (c.DetailBytes() != heldBefore)
        return state.SkipWithError("pictures at the detail were made again while timed");
    ReportAgainstCopy(state, stepping, copying, bytes);
    state.counters["detail_MB"] = double(c.DetailBytes()) / 1e6;
    state.SetLabel("detail " + std::to_string(k) + (k > 1 && HaveTwins() ? " HighDetail/" : ""));
}

// The old way: every frame composed whole at the detail and scaled whole.
void BM_WholeFrame(benchmark::State& state) {
    if (AssetDir().empty()) return state.SkipWithError("no generated pictures");
    const auto [w, h] = kWindows[state.range(0)];
    Hearth hearth(w, h);
    Compositor& c = hearth.m.Pixels();
    const Area hr = hearth.m.CurrentStage().hearth;
    hg::Scaler scaler(c.Width(), c.Height(), hr.Width(), hr.Height());
    auto frame = [&] {
        hearth.now += 100;
        c.Clear(0);
        for (int32_t s : hearth.surfaces) c.Draw(s);
        scaler.Scale(c.BackBuffer(), hearth.m.screen.data() + hr.top * w + hr.left, w,
                     {0, 0, hr.Width(), hr.Height()});
        benchmark::DoNotOptimize(hearth.m.screen.data());
    };
    for (int i = 0; i < 10; ++i) frame();  // the flames' pictures at the detail
    for (auto _ : state) frame();
    state.SetLabel(Named(w, h, c.Detail()));
}

// The composed picture at the detail that a window of w x h gets, and where its hearth lies.
struct Composed {
    std::vector<uint32_t> pixels;
    int detail = 1;
    Area hearth;
};
Composed ComposedFor(int w, int h) {
    Hearth hearth(w, h);
    return {hearth.m.memory, hearth.Detail(), hearth.m.CurrentStage().hearth};
}

void BM_ScaleOurs(benchmark::State& state) {
    if (AssetDir().empty()) return state.SkipWithError("no generated pictures");
    const auto [w, h] = kWindows[state.range(0)];
    const Composed picture = ComposedFor(w, h);
    const int k = picture.detail, hw = picture.hearth.Width(), hh = picture.hearth.Height();
    std::vector<uint32_t> out(static_cast<size_t>(hw) * hh);
    hg::Scaler scaler(kW * k, kH * k, hw, hh);
    for (auto _ : state) {
        scaler.Scale(picture.pixels.data(), out.data(), hw, {0, 0, hw, hh});
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(std::to_string(kW * k) + "x" + std::to_string(kH * k) + " to " +
                   std::to_string(hw) + "x" + std::to_string(hh));
}

// stb_image_resize scales 8-bit channels: the composed 0x00RRGGBB picture is taken as it is.
void BM_ScaleStbResize(benchmark::State& state) {
    if (AssetDir().empty()) return state.SkipWithError("no generated pictures");
    const auto [w, h] = kWindows[state.range(0)];
    const Composed picture = ComposedFor(w, h);
    const int k = picture.detail, hw = picture.hearth.Width(), hh = picture.hearth.Height();
    std::vector<uint32_t> out(static_cast<size_t>(hw) * hh);
    for (auto _ : state) {
        stbir_resize(picture.pixels.data(), kW * k, kH * k, 0, out.data(), hw, hh, 0,
                     STBIR_TYPE_UINT8, 4, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                     STBIR_EDGE_CLAMP, STBIR_FILTER_TRIANGLE, STBIR_FILTER_TRIANGLE,
                     STBIR_COLORSPACE_LINEAR, nullptr);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(std::to_string(kW * k) + "x" + std::to_string(kH * k) + " to " +
                   std::to_string(hw) + "x" + std::to_string(hh));
}

void BM_PaintWall(benchmark::State& state) {
    if (AssetDir().empty()) return state.SkipWithError("no generated pictures");
    const auto [w, h] = kWindows[state.range(0)];
    const auto wall = Load("../resources/wall.bmp");
    std::vector<uint32_t> out(static_cast<size_t>(w) * h);
    const hg::Stage stage = hg::Stage::For(w, h);
    for (auto _ : state) {
        hg::PaintWall(wall.get(), stage, {out.data(), w, h, w});
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(std::to_string(w) + "x" + std::to_string(h));
}

// The memory floor of the 32-bit frame at each detail: its bytes, copied.
void BM_FrameFloor(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    const size_t bytes = size_t{kW} * kH * k * k * sizeof(uint32_t);
    std::vector<uint8_t> from(bytes, 1), to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.counters["frame_MB"] = double(bytes) / 1e6;
}

BENCHMARK(BM_FlameStep)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposedFlameStep)
    ->DenseRange(1, Compositor::kFinestDetail)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeFrame)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScaleOurs)->DenseRange(3, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScaleStbResize)->DenseRange(3, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintWall)->DenseRange(3, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameFloor)->DenseRange(1, Compositor::kFinestDetail)->Unit(benchmark::kMicrosecond);

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // With --benchmark_repetitions the median stands for the benchmark: on a machine
        // shared with other work a single run can be far off.
        for (const Run& r : runs) {
            if (r.error_occurred) continue;
            if (r.run_type == Run::RT_Iteration)
                us[r.benchmark_name()] = r.GetAdjustedRealTime();
            else if (r.aggregate_name == "median")
                us[r.run_name.str()] = r.GetAdjustedRealTime();
        }
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
            std::printf("  %-34s / %-24s = %.3f\n", a.c_str(), b.c_str(), t[a] / t[b]);
    };
    std::printf("Ratios from this run:\n");
    for (const char* n : {"0", "1", "2", "3", "4"})
        for (const char* kept : {"0", "1"})
            ratio(std::string("BM_FlameStep/") + n + "/" + kept + "/manual_time",
                  std::string("BM_WholeFrame/") + n);
    for (const char* n : {"3", "4"})
        ratio(std::string("BM_ScaleOurs/") + n, std::string("BM_ScaleStbResize/") + n);
    for (const char* k : {"2", "3", "4"})
        ratio(std::string("BM_FrameFloor/") + k, "BM_FrameFloor/1");
    benchmark::Shutdown();
    return 0;
}
