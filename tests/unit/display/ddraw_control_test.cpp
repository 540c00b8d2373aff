// The drawing control above its back end: the stage (hearth and wall), retained frames that
// show only what changed, the pace of FrameDue, text, and the input rules (one physical action,
// one event; a pointer that did not move is no move).
#include "display/ddraw_control.h"

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <vector>

#include "display/detail.h"

namespace hg {
namespace {

constexpr int kW = Compositor::kWidth, kH = Compositor::kHeight;

// Text as the fake platform paints it: a cell per character, half as wide as tall, with a
// pattern of the colour; the bounds it promises are a pixel wider all round.
Area FakeTextBox(const TextFont& f, const std::string& text, int32_t x, int32_t y) {
    return {x, y, x + static_cast<int>(text.size()) * (f.size / 2 + 1), y + f.size};
}

// At a detail each logical pixel of the pattern is a square of that side.
void FakePaint(uint32_t* memory, int detail, const TextFont& f, const std::string& text, int32_t x,
               int32_t y, Colour colour, const Area& clip) {
    const Area box = FakeTextBox(f, text, x, y).Intersect(clip).Intersect({0, 0, kW, kH});
    const int stride = kW * detail;
    for (int py = box.top; py < box.bottom; ++py)
        for (int px = box.left; px < box.right; ++px)
            if ((px + py + text[(px - x) / (f.size / 2 + 1)]) % 3 == 0)
                for (int dy = 0; dy < detail; ++dy)
                    std::fill_n(memory + (py * detail + dy) * stride + px * detail, detail,
                                ToPixel(colour));
}

class Presenter : public DDrawControl {
  public:
    explicit Presenter(uint32_t* clock) : DDrawControl([clock] { return *clock; }) {}
    ~Presenter() override { CloseDisplay(); }

    bool canOpen = true;
    std::vector<uint32_t> memory;
    std::vector<uint32_t> screen;
    // What the screen itself shows: areas of `screen` as they were shown.
    std::vector<uint32_t> display;
    bool keepsSteps = false;
    bool showsKept = false;  // kept steps go to the screen straight, as the Win32 back end's
    bool idleLater = false, idleDue = false;
    void Idle() {
        if (std::exchange(idleDue, false)) PrepareAhead();
    }
    int64_t keptPixelsShown = 0;
    int closes = 0;
    std::vector<Area> shown;  // since the last look
    std::vector<std::string> texts;
    size_t mostDetailBytes = 0;  // held at the detail while a text was painted
    size_t mostKeptBytes = 0;    // kept pixels held while a text was painted

    using DDrawControl::ButtonDown;
    using DDrawControl::ForgetPointer;
    using DDrawControl::KeyDown;
    using DDrawControl::PictureAsShown;
    using DDrawControl::PointerAt;
    using DDrawControl::RaiseFrameDue;
    using DDrawControl::SetWall;

    // With `hearthOnly`, the window's picture holds the hearth alone, as the Win32 back end's.
    void Window(int w, int h, Area primary = {}, bool hearthOnly = false) {
        picture = hearthOnly ? Stage::For(w, h, primary).hearth : Area{0, 0, w, h};
        screen.assign(static_cast<size_t>(picture.Size()), 0xDEADBEEF);
        display.assign(static_cast<size_t>(w) * h, 0xDEADBEEF);
        Restage({screen.data(), picture.Width(), picture.Height(), picture.Width(), picture.left,
                 picture.top},
                primary, w, h);
    }
    Area picture;  // where `screen` lies in the window
    int64_t ShownPixels() {
        int64_t n = 0;
        for (const Area& a : shown) n += a.Size();
        shown.clear();
        return n;
    }

  protected:
    bool OpenPresentation() override { return canOpen; }
    uint32_t* DetailBuffer(int detail) override {
        memory.assign(static_cast<size_t>(kW) * detail * kH * detail, 0xAAAAAAAA);
        return memory.data();
    }
    void ClosePresentation() override { ++closes; }
    void Show(const std::vector<Area>& areas) override {
        shown.insert(shown.end(), areas.begin(), areas.end());
        const int w = CurrentStage().width, pw = picture.Width();
        for (const Area& a : areas) {
            EXPECT_EQ(a.Intersect(picture), a) << "shown beyond the window's picture";
            for (int y = a.top; y < a.bottom; ++y)
                std::copy_n(&screen[(y - picture.top) * pw + a.left - picture.left], a.Width(),
                            &display[y * w + a.left]);
        }
    }
    void ShowPixels(const Area& at, const uint32_t* pixels) override {
        if (showsKept && !at.Intersect(picture).Empty()) {
            EXPECT_EQ(at.Intersect(picture), at) << "kept pixels shown beyond the picture";
            keptPixelsShown += at.Size();
        } else {
            EXPECT_TRUE(at.Intersect(picture).Empty()) << "the wall painted over the picture";
        }
        const int w = CurrentStage().width;
        for (int y = at.top; y < at.bottom; ++y)
            std::copy_n(pixels + (y - at.top) * at.Width(), at.Width(), &display[y * w + at.left]);
    }
    bool KeepsSteps() const override { return keepsSteps; }
    bool ShowsKeptPixels() const override { return showsKept; }
    // With `idleLater`, what is made ahead waits for Idle(), as under the Win32 back end.
    void PrepareWhenIdle() override {
        if (idleLater)
            idleDue = true;
        else
            PrepareAhead();
    }
    Area TextBounds(const TextFont& f, const std::string& text, int32_t x, int32_t y) override {
        const Area b = FakeTextBox(f, text, x, y);
        return {b.left - 1, b.top - 1, b.right + 1, b.bottom + 1};
    }
    void PaintText(const TextFont& f, const std::string& text, int32_t x, int32_t y, Colour colour,
                   const Area& clip) override {
        texts.push_back(f.face + "/" + std::to_string(f.size) + (f.bold ? "/b" : "") +
                        (f.italic ? "/i" : "") + (f.underline ? "/u" : "") + " " + text + " @" +
                        std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(colour));
        FakePaint(memory.data(), Detail(), f, text, x, y, colour, clip);
        mostDetailBytes = std::max(mostDetailBytes, Pixels().DetailBytes());
        mostKeptBytes = std::max(mostKeptBytes, KeptPixelBytes());
    }
};

struct Recorder : TegoDDrwEvents {
    std::vector<std::string> events;
    Presenter* reenter = nullptr;
    void FrameDue() override {
        events.push_back("frame");
        if (reenter) reenter->RaiseFrameDue();
    }
    void MouseMoved(int b, int s, int x, int y) override {
        events.push_back("move " + std::to_string(b) + " " + std::to_string(s) + " " +
                         std::to_string(x) + "," + std::to_string(y));
    }
    void MouseButton(int b, int s, int x, int y) override {
        events.push_back("button " + std::to_string(b) + " " + std::to_string(s) + " " +
                         std::to_string(x) + "," + std::to_string(y));
    }
    void KeyEvent(int16_t k, int16_t s) override {
        events.push_back("key " + std::to_string(k) + " " + std::to_string(s));
    }
};

// A picture of one colour with a hole in its middle row (unless solid), and a patch of another
// colour (with holes of its own) where `patch` says; four bytes a pixel (r, g, b, a).
std::vector<uint8_t> BlockRgba(int w, int h, Colour c, Area patch = {}, Colour ink = 0,
                               bool solid = false) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool inPatch =
                x >= patch.left && x < patch.right && y >= patch.top && y < patch.bottom;
            const Colour p = inPatch ? ink : c;
            const bool hole =
                !solid && ((y == h / 2 && x % 3 == 1) || (inPatch && (x + y) % 7 == 0));
            rgba.insert(rgba.end(),
                        {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), uint8_t(hole ? 0 : 255)});
        }
    return rgba;
}

std::shared_ptr<const Picture> Block(int w, int h, Colour c, Area patch = {}, Colour ink = 0) {
    return Picture::FromRgba(BlockRgba(w, h, c, patch, ink).data(), w, h, -1);
}

// Picture files with twins beside them that match, as a generator's do: the same design three
// times as fine, every pixel a little off its picture's in its own way (so two twins differ
// where their pictures do not), and, when `holes`, a few holes the picture does not have.
class PictureFolder {
  public:
    explicit PictureFolder(const std::string& name)
        // The process's own: another checkout's tests may be running beside these.
        : dir_(std::filesystem::temp_directory_path() / (name + "_" + std::to_string(getpid()))) {
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "HighDetail");
    }
    ~PictureFolder() { std::filesystem::remove_all(dir_); }

    std::string Write(const std::vector<uint8_t>& rgba, int w, int h, bool twin, bool holes,
                      std::mt19937& rng) {
        const std::string name = "p" + std::to_string(count_++) + ".png";
        const std::string path = (dir_ / name).string();
        EXPECT_TRUE(stbi_write_png(path.c_str(), w, h, 4, rgba.data(), w * 4));
        if (!twin) return path;
        const int k = kTwinDetail, tw = w * k, th = h * k;
        std::vector<uint8_t> fine(static_cast<size_t>(tw) * th * 4);
        for (int y = 0; y < th; ++y)
            for (int x = 0; x < tw; ++x) {
                const uint8_t* from = &rgba[(static_cast<size_t>(y / k) * w + x / k) * 4];
                uint8_t* to = &fine[(static_cast<size_t>(y) * tw + x) * 4];
                for (int c = 0; c < 3; ++c)
                    to[c] = static_cast<uint8_t>(std::clamp(from[c] + int(rng() % 9) - 4, 0, 254));
                to[3] = from[3];
            }
        // A hole the size of a logical pixel in about one in a hundred.
        for (int i = 0; holes && i < w * h / 100 + 1; ++i) {
            const int hx = static_cast<int>(rng() % w), hy = static_cast<int>(rng() % h);
            for (int y = hy * k; y < hy * k + k; ++y)
                for (int x = hx * k; x < hx * k + k; ++x)
                    fine[(static_cast<size_t>(y) * tw + x) * 4 + 3] = 0;
        }
        const std::string twinPath = (dir_ / "HighDetail" / name).string();
        EXPECT_TRUE(stbi_write_png(twinPath.c_str(), tw, th, 4, fine.data(), tw * 4));
        return path;
    }

  private:
    std::filesystem::path dir_;
    int count_ = 0;
};

TEST(Stage, FitsTheHearthToThePrimaryMonitorAndMapsPointsBack) {
    auto hearth = [](int w, int h, Area primary = {}) {
        const Area a = Stage::For(w, h, primary).hearth;
        return std::vector<int>{a.left, a.top, a.Width(), a.Height()};
    };
    EXPECT_EQ(hearth(800, 600), (std::vector<int>{0, 0, 800, 600}));
    EXPECT_EQ(hearth(1920, 1080), (std::vector<int>{240, 0, 1440, 1080}));
    EXPECT_EQ(hearth(2560, 1080), (std::vector<int>{560, 0, 1440, 1080}));
    EXPECT_EQ(hearth(1280, 1024), (std::vector<int>{0, 32, 1280, 960}));
    EXPECT_EQ(hearth(153, 115), (std::vector<int>{0, 0, 153, 114}));
    EXPECT_EQ(hearth(0, 768), (std::vector<int>{0, 0, 0, 0}));
    // Two monitors side by side, the primary on the right: the hearth stays whole on it.
    EXPECT_EQ(hearth(2048, 768, {1024, 0, 2048, 768}), (std::vector<int>{1024, 0, 1024, 768}));
    const Stage wide = Stage::For(1920, 1080);
    EXPECT_EQ(wide.LogicalX(240), 0);
    EXPECT_EQ(wide.LogicalX(1679), 799);
    EXPECT_EQ(wide.LogicalY(540), 300);
    EXPECT_LT(wide.LogicalX(239), 0) << "a point on the wall lies off the picture";
    const Stage two = Stage::For(2048, 768, {1024, 0, 2048, 768});
    EXPECT_EQ(two.LogicalX(1024), 0);
    EXPECT_LT(two.LogicalX(1023), 0);
}

// The wall fills everything but the hearth, the same on both sides of it (the strip mirrored
// on the left), brighter near the fire than far from it.
TEST(Stage, TheWallSurroundsTheHearthAndIsLitByTheFire) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 30; ++x) {
            const uint8_t v = static_cast<uint8_t>(60 + 4 * x);
            rgba.insert(rgba.end(), {v, 90, 90, 255});
        }
    const auto strip = Picture::FromRgba(rgba.data(), 30, 600, -1);
    const Stage stage = Stage::For(2560, 1080);
    std::vector<uint32_t> image(2560 * 1080, 0xDEADBEEF);
    PaintWall(strip.get(), stage, {image.data(), 2560, 1080, 2560});
    auto at = [&](int x, int y) { return image[y * 2560 + x]; };
    EXPECT_EQ(at(560, 500), 0xDEADBEEFu) << "the hearth is left alone";
    EXPECT_EQ(at(1999, 1079), 0xDEADBEEFu);
    for (int y : {0, 540, 1079})
        for (int d : {0, 1, 25, 300, 559}) {
            ASSERT_NE(at(559 - d, y), 0xDEADBEEFu);
            ASSERT_EQ(at(559 - d, y), at(2000 + d, y)) << "row " << y << ", " << d << " out";
        }
    const auto red = [](uint32_t p) { return (p >> 16) & 255; };
    const auto green = [](uint32_t p) { return (p >> 8) & 255; };
    EXPECT_GT(green(at(2000, 540)), green(at(2540, 540)) + 10) << "brighter by the fire";
    EXPECT_GT(red(at(2000, 540)), green(at(2000, 540))) << "and warmer";
    // Without a strip: a plain wall, lit the same way.
    PaintWall(nullptr, stage, {image.data(), 2560, 1080, 2560});
    EXPECT_GT(green(at(559, 9)), green(at(0, 9)));
}

TEST(DDrawControl, OpensOnlyTheLogicalDisplayAndShowsNothingAfterClosing) {
    uint32_t now = 0;
    Presenter p(&now);
    EXPECT_FALSE(p.OpenDisplay(640, 480, 16, ""));
    EXPECT_FALSE(p.OpenDisplay(800, 600, 32, ""));
    p.canOpen = false;
    EXPECT_FALSE(p.OpenDisplay(800, 600, 16, ""));
    EXPECT_FALSE(p.IsOpen());
    p.canOpen = true;
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    EXPECT_TRUE(p.OpenDisplay(800, 600, 16, "")) << "opening twice is harmless";
    EXPECT_EQ(p.memory[0], 0u) << "opened black";
    p.Window(800, 600);
    EXPECT_EQ(p.ShownPixels(), 800 * 600) << "a new window is shown whole";
    EXPECT_EQ(p.screen[0], 0u);
    p.ClearBackBuffer(Rgb(0, 0, 255));
    EXPECT_EQ(p.memory[600 * 800 - 1], 0u) << "nothing is drawn before the flip";
    p.FlipDisplay();
    EXPECT_EQ(p.memory[600 * 800 - 1], 0x0000FFu);
    EXPECT_EQ(p.screen[600 * 800 - 1], 0x0000FFu);
    // Once closed the presenter's memory is no longer touched (it is freed right after).
    p.CloseDisplay();
    p.CloseDisplay();
    EXPECT_EQ(p.closes, 1);
    p.ShownPixels();
    p.ClearBackBuffer(Rgb(255, 0, 0));
    p.FlipDisplay();
    EXPECT_EQ(p.memory[0], 0x0000FFu);
    EXPECT_EQ(p.ShownPixels(), 0);
}

TEST(DDrawControl, TextUsesTheLastFontAndNeedsAnOpenDisplay) {
    uint32_t now = 0;
    Presenter p(&now);
    p.SetTextFont("Arial", 46, 30, false, false, false);
    p.DrawTextAt("7", 14, 36, Rgb(255, 0, 0));
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    p.FlipDisplay();
    EXPECT_TRUE(p.texts.empty());
    p.DrawTextAt("7", 14, 36, Rgb(255, 0, 0));
    p.SetTextFont("Times", 12, 1, true, true, true);
    p.DrawTextAt("Dec", -5, 599, Rgb(0, 0, 255));
    p.DrawTextAt("", 0, 0, Rgb(0, 0, 255));
    p.FlipDisplay();
    EXPECT_EQ(p.texts, (std::vector<std::string>{"Arial/46 7 @14,36 255",
                                                 "Times/12/b/i/u Dec @-5,599 16711680"}));
}

// The frame as the scene draws it: clear, the flame, the logs over it, the clock's text.
struct Hearth {
    uint32_t now = 0;
    Presenter p{&now};
    int32_t flame = 0, logs = 0;
    std::string clock = "10:00:00";
    Hearth() {
        EXPECT_TRUE(p.OpenDisplay(800, 600, 16, ""));
        flame = p.NewSurface();
        for (int k = 1; k <= 3; ++k)
            p.Pixels().SetFramePicture(flame, k, Block(300, 200, Rgb(60 * k, 40, 0)));
        p.SetSurfaceX(flame, 100);
        p.SetSurfaceY(flame, 50);
        p.SetSurfaceSpeed(flame, 100);
        logs = p.NewSurface();
        p.Pixels().SetFramePicture(logs, 1, Block(400, 100, Rgb(90, 50, 20)));
        p.SetSurfaceX(logs, 80);
        p.SetSurfaceY(logs, 200);
        p.Window(1920, 1080);
        p.ShownPixels();
    }
    void Frame() {
        p.ClearBackBuffer(0);
        p.DrawSurface(flame);
        p.DrawSurface(logs);
        p.SetTextFont("Arial", 14, 30, false, false, false);
        p.DrawTextAt(clock, 700, 520, Rgb(0, 0, 255));
        p.FlipDisplay();
    }
};

// A stepping surface is compared frame with frame only where that narrows what changes: under
// a picture that replaces another over all of it (a surround style rotating in), comparing at a
// fine detail would make its frame before again under the new cover, for nothing.
TEST(RetainedFrame, AStepInsideWhatChangesWholeIsNotMeasured) {
    const auto one = Block(200, 100, Rgb(200, 0, 0)), two = Block(200, 100, Rgb(0, 200, 0));
    const auto small = Block(50, 50, Rgb(0, 0, 200)), wide = Block(300, 200, Rgb(0, 0, 90));
    auto op = [](const std::shared_ptr<const Picture>& p, int32_t surface, int x, int y) {
        DrawOp o;
        o.kind = DrawOp::Kind::Picture;
        o.picture = p;
        o.surface = surface;
        o.x = x, o.y = y;
        o.bounds = {x, y, x + p->Width(), y + p->Height()};
        return o;
    };
    for (bool over : {false, true}) {
        SCOPED_TRACE(over ? "replaced over the step" : "replaced apart");
        RetainedFrame f;
        int measured = 0;
        f.MeasureWith([&](const Picture&, const Picture&) {
            ++measured;
            return std::vector<Area>{{0, 0, 10, 10}};
        });
        // The logs between: the step and the replaced picture are two changes.
        f.Add(op(one, 1, 0, 0));
        f.Add(op(small, 4, 700, 500));
        f.Add(op(small, 2, 300, 300));
        f.Finish();
        f.Add(op(two, 1, 0, 0));
        f.Add(op(small, 4, 700, 500));
        f.Add(over ? op(wide, 3, 0, 0) : op(small, 3, 500, 300));
        const std::vector<Area> changed = f.Finish();
        EXPECT_EQ(measured, over ? 0 : 1);
        EXPECT_TRUE(std::any_of(changed.begin(), changed.end(), [](const Area& a) {
            return a.Intersect({0, 0, 10, 10}) == Area{0, 0, 10, 10};
        })) << "the step's own change was lost";
    }
}

TEST(DDrawControl, AnUnchangedFrameShowsNothingAndAChangedOneOnlyWhatChanged) {
    Hearth h;
    h.Frame();
    h.p.ShownPixels();
    h.now = 50;
    h.Frame();
    EXPECT_EQ(h.p.ShownPixels(), 0);
    // The flame steps: only the part of it the logs leave visible, scaled by 1.8.
    h.now = 100;
    h.Frame();
    const int64_t flame = h.p.ShownPixels();
    EXPECT_GT(flame, 300 * 150 * 1.8 * 1.8 * 0.9);
    EXPECT_LT(flame, 300 * 200 * 1.8 * 1.8);
    // The clock's second turns: only a few tiles near the text.
    h.now = 150;
    h.clock = "10:00:01";
    h.Frame();
    const int64_t text = h.p.ShownPixels();
    EXPECT_GT(text, 0);
    EXPECT_LT(text, 3 * 16 * 32 * 4);
}

// The stale-pixel test: over a long random run of frames (pictures stepping and moving, texts
// changing, drawings added, dropped and reordered, the window resized), what is shown through
// the changed areas alone equals, pixel for pixel, a full composition of the same frame, at the
// detail the window calls for. With `keepsSteps`, changes seen before are shown from their kept
// pixels, and the window's picture is brought up to date only when it is painted from. With
// `twins`, half the pictures are files with twins beside them, and a solid picture whose twin
// has holes stands over a picture that changes only beneath it.
void ShowOnlyTheChanges(bool keepsSteps, int width, int height, bool twins, int frames,
                        bool hearthOnly = false) {
    SCOPED_TRACE(std::string(keepsSteps ? "with kept pixels" : "scaling only") + " at " +
                 std::to_string(width) + "x" + std::to_string(height) +
                 (twins ? " with twins" : "") + (hearthOnly ? ", a picture of the hearth" : ""));
    uint32_t now = 0;
    Presenter p(&now);
    p.keepsSteps = keepsSteps;
    Compositor reference([&now] { return now; });
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    std::mt19937 rng(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    PictureFolder folder("hg_stale_pixels");
    // Into frame k of surface s of both, from memory or from a file (then perhaps with a twin).
    auto setFrame = [&](int32_t s, int k, const std::vector<uint8_t>& rgba, int w, int h, bool twin,
                        bool holes = false) {
        if (!twins) {
            auto pic = Picture::FromRgba(rgba.data(), w, h, -1);
            p.Pixels().SetFramePicture(s, k, pic);
            reference.SetFramePicture(s, k, pic);
            return;
        }
        const std::string path = folder.Write(rgba, w, h, twin, holes, rng);
        p.LoadSurfaceFrame(s, k, path, -1);
        reference.LoadFrame(s, k, path, -1);
    };
    // Pictures enlarged three times take long to make under the sanitizers: smaller ones at a
    // finer detail keep the test's time.
    const int wide = width < 1000 ? 300 : 160, tall = width < 1000 ? 250 : 130;
    std::vector<int32_t> surfaces;
    for (int s = 0; s < 8; ++s) {
        const int32_t a = p.NewSurface(), b = reference.NewSurface();
        EXPECT_EQ(a, b);
        // Most strips keep one size and change only a patch from frame to frame, as the
        // flames do (sometimes only in what is transparent); the others change size too.
        const int count = pick(1, 4);
        const bool oneSize = pick(0, 3) > 0, twin = pick(0, 1) == 1;
        const int w = pick(5, wide), h = pick(5, tall);
        const Colour base = Rgb(pick(0, 255), pick(0, 255), 99);
        for (int k = 1; k <= count; ++k) {
            const int pw = oneSize ? w : pick(5, wide), ph = oneSize ? h : pick(5, tall);
            const int px = pick(-10, pw), py = pick(-10, ph);
            const Area patch{px, py, px + pick(1, 80), py + pick(1, 80)};
            const Colour ink = pick(0, 2) ? Rgb(pick(0, 255), k * 40, pick(0, 255)) : base;
            setFrame(a, k, BlockRgba(pw, ph, base, patch, ink), pw, ph, twin);
        }
        const int ms = pick(25, 250);
        p.SetSurfaceSpeed(a, ms);
        reference.SetSpeed(a, ms);
        surfaces.push_back(a);
    }
    // Two squares stepping in a ring, corner to corner: their changes are far from one
    // rectangle, but the window areas they touch meet at the corner and are shown as one, which
    // holds the two empty squares beside them, where a text of its own changes now and then.
    int32_t ring[2];
    for (int r = 0; r < 2; ++r) {
        ring[r] = p.NewSurface();
        EXPECT_EQ(ring[r], reference.NewSurface());
        for (int k = 1; k <= 2; ++k)
            setFrame(ring[r], k, BlockRgba(100, 100, Rgb(40 + 100 * r, 200 - 80 * k, 30)), 100, 100,
                     r == 1);
        p.SetSurfaceSpeed(ring[r], 25), reference.SetSpeed(ring[r], 25);
        p.SetSurfaceX(ring[r], 500 + 100 * r), reference.SetX(ring[r], 500 + 100 * r);
        p.SetSurfaceY(ring[r], 100 + 100 * r), reference.SetY(ring[r], 100 + 100 * r);
    }
    // A still picture whose middle changes every step, under a solid cover that hides it all
    // but where the cover's twin has holes; and one whose right half changes beside its still
    // left half, the edge between two squares of 16. All stay put.
    const int32_t under = p.NewSurface(), cover = p.NewSurface(), seam = p.NewSurface();
    EXPECT_EQ(under, reference.NewSurface());
    EXPECT_EQ(cover, reference.NewSurface());
    EXPECT_EQ(seam, reference.NewSurface());
    for (int k = 1; k <= 3; ++k)
        setFrame(seam, k, BlockRgba(64, 48, Rgb(90, 90, 90), {32, 0, 64, 48}, Rgb(0, 70 * k, 0)),
                 64, 48, false);
    p.SetSurfaceSpeed(seam, 40), reference.SetSpeed(seam, 40);
    p.SetSurfaceX(seam, 150), reference.SetX(seam, 150);
    p.SetSurfaceY(seam, 520), reference.SetY(seam, 520);
    for (int k = 1; k <= 3; ++k)
        setFrame(under, k,
                 BlockRgba(100, 100, Rgb(30, 90, 150), {40, 40, 60, 60}, Rgb(250, 60 * k, 0)), 100,
                 100, false);
    setFrame(cover, 1, BlockRgba(40, 40, Rgb(200, 200, 20), {}, 0, true), 40, 40, true, true);
    p.SetSurfaceSpeed(under, 30), reference.SetSpeed(under, 30);
    for (int32_t s : {under, cover}) {
        const int at = s == under ? 300 : 330;
        p.SetSurfaceX(s, at), reference.SetX(s, at);
        p.SetSurfaceY(s, at + 100), reference.SetY(s, at + 100);
    }
    std::string between = "Dec";
    const auto wall = Block(40, 600, Rgb(120, 30, 30));
    p.SetWall(wall);
    p.Window(width, height, {}, hearthOnly);
    ASSERT_EQ(p.Pixels().Detail(), width < 1000 ? 1 : width < 2000 ? 2 : 3);
    std::vector<uint32_t> want;
    Stage wanted;
    const std::string words[] = {"10:00:00", "10:00:01", "Monday", "7", "Dec", "Merry"};
    std::vector<int32_t> order = surfaces;
    std::vector<std::pair<std::string, std::pair<int, int>>> texts = {{"10:00:00", {700, 520}}};
    for (int frame = 0; frame < frames; ++frame) {
        now += static_cast<uint32_t>(pick(0, 60));
        switch (pick(0, 9)) {
            case 0: {  // a surface moves
                const int32_t s = surfaces[pick(0, 7)];
                const int x = pick(-100, 820), y = pick(-100, 620);
                p.SetSurfaceX(s, x), reference.SetX(s, x);
                p.SetSurfaceY(s, y), reference.SetY(s, y);
                break;
            }
            case 1:  // the style changes: other surfaces, in another order
                std::shuffle(order.begin(), order.end(), rng);
                order.resize(static_cast<size_t>(pick(2, 8)));
                if (order.size() < surfaces.size() && pick(0, 1)) order = surfaces;
                break;
            case 2:
                texts[0].first = words[pick(0, 5)];
                break;
            case 3:
                if (texts.size() < 3)
                    texts.push_back({words[pick(0, 5)], {pick(-20, 780), pick(-5, 590)}});
                else
                    texts.pop_back();
                break;
            case 4: {
                const int32_t s = surfaces[pick(0, 7)];
                p.SetSurfaceFrame(s, 1), reference.SetFrame(s, 1);
                break;
            }
            case 5:  // a little smaller now and then, at the same detail
                if (pick(0, 9) == 0)
                    p.Window(pick(0, 1) ? width : width * 11 / 12,
                             pick(0, 1) ? height : height * 31 / 33, {}, hearthOnly);
                break;
            case 6:
                between = words[pick(0, 5)];
                break;
            default:
                break;
        }
        // A smaller window may call for a lower detail; the reference follows.
        if (reference.Detail() != p.Pixels().Detail())
            reference.UseBackBuffer(nullptr, p.Pixels().Detail());
        const Colour clear = frame % 97 == 96 ? Rgb(0, 0, 40) : 0;
        p.ClearBackBuffer(clear);
        reference.Clear(clear);
        for (int32_t s : {ring[0], ring[1], under, cover, seam}) {
            p.DrawSurface(s);
            reference.Draw(s);
        }
        for (int32_t s : order) {
            p.DrawSurface(s);
            reference.Draw(s);
        }
        std::vector<std::pair<std::string, std::pair<int, int>>> drawn = texts;
        drawn.push_back({between, {612, 120}});
        for (const auto& [text, at] : drawn) {
            const TextFont font{"Arial", 14};
            p.SetTextFont(font.face, font.size, 30, false, false, false);
            p.DrawTextAt(text, at.first, at.second, Rgb(0, 0, 255));
            FakePaint(reference.BackBuffer(), reference.Detail(), font, text, at.first, at.second,
                      Rgb(0, 0, 255), {0, 0, kW, kH});
        }
        p.FlipDisplay();
        // The window as a whole composition would show it: wall, then the whole picture scaled.
        // (A stale pixel stays until something draws over it, so every fourth frame will do.)
        if (frame % 4 != 0) continue;
        const Stage& stage = p.CurrentStage();
        if (stage.width != wanted.width || stage.height != wanted.height) {
            wanted = stage;
            want.assign(p.display.size(), 0);
            PaintWall(wall.get(), stage, {want.data(), stage.width, stage.height, stage.width});
        }
        const Area& h = stage.hearth;
        Scaler(reference.Width(), reference.Height(), h.Width(), h.Height())
            .Scale(reference.BackBuffer(), want.data() + h.top * stage.width + h.left, stage.width,
                   {0, 0, h.Width(), h.Height()});
        ASSERT_EQ(want, p.display) << "screen differs after frame " << frame;
        if (!hearthOnly) {
            ASSERT_EQ(want, p.screen) << "window's picture differs after frame " << frame;
        }
    }
}

TEST(DDrawControl, ShowingOnlyTheChangesEqualsShowingEverything) {
    ShowOnlyTheChanges(false, 960, 660, false, 300);
    ShowOnlyTheChanges(true, 960, 660, false, 300);
    ShowOnlyTheChanges(true, 960, 660, false, 300, true);
}

// At detail 2 and 3 a picture without a twin is enlarged smoothly, each fine pixel blending
// its neighbours across the squares changes are found in; a twin draws pixels of its own.
TEST(DDrawControl, ShowingOnlyTheChangesEqualsShowingEverythingAtEveryDetail) {
    for (bool twins : {false, true}) {
        ShowOnlyTheChanges(false, 1200, 900, twins, 48);
        ShowOnlyTheChanges(true, 1200, 900, twins, 48);
        ShowOnlyTheChanges(false, 2200, 1650, twins, 32);
        ShowOnlyTheChanges(true, 2200, 1650, twins, 32);
    }
}

// A stepping surface's frames are held without what the pictures drawn over them hide, at 1
// too; what covers them may change from style to style, but the copies are made again only
// while what stays hidden shrinks, not at every change back and forth. The frame shown next is
// made once a frame is shown, not when its step is due.
TEST(DDrawControl, SteppingFramesAreHeldWithoutWhatCoversThemAndRemadeOnlyAsThatShrinks) {
    uint32_t now = 0;
    struct Scene {
        Presenter p;
        int32_t flame, left, right;
        Scene(uint32_t* now, int width, int height) : p(now) {
            EXPECT_TRUE(p.OpenDisplay(800, 600, 16, ""));
            flame = p.NewSurface(), left = p.NewSurface(), right = p.NewSurface();
            p.Pixels().SetFramePicture(flame, 1, Block(200, 100, Rgb(200, 0, 0)));
            p.Pixels().SetFramePicture(flame, 2, Block(200, 100, Rgb(0, 200, 0)));
            p.Pixels().SetFramePicture(left, 1, Block(150, 100, Rgb(0, 0, 250)));
            p.Pixels().SetFramePicture(right, 1, Block(150, 100, Rgb(250, 250, 0)));
            p.SetSurfaceSpeed(flame, 100);
            p.SetSurfaceX(right, 50);
            p.Window(width, height);
        }
    };
    auto frame = [&](Scene& s, int32_t over) {
        now += 100;
        s.p.ClearBackBuffer(0);
        s.p.DrawSurface(s.flame);
        if (over) s.p.DrawSurface(over);
        s.p.FlipDisplay();
    };
    for (int detail : {1, 2}) {
        SCOPED_TRACE(detail);
        Scene bare(&now, 800 * detail, 600 * detail), covered(&now, 800 * detail, 600 * detail);
        ASSERT_EQ(covered.p.Pixels().Detail(), detail);
        frame(bare, 0);
        const size_t first = bare.p.Pixels().DetailBytes();
        frame(bare, 0);
        EXPECT_EQ(bare.p.Pixels().DetailBytes(), first)
            << "the second frame was made after the first";
        frame(covered, covered.left), frame(covered, covered.left);
        // At 1 the frames' own pixels stay beside the copies: they come from no file.
        if (detail > 1) {
            EXPECT_LT(covered.p.Pixels().DetailBytes(), bare.p.Pixels().DetailBytes())
                << "three quarters of each frame hidden, with the cover's own copy";
        }
        frame(covered, covered.right);  // from now on only the middle half is hidden in every frame
        const uint32_t settled = covered.p.Pixels().CoverChanges();
        EXPECT_GT(settled, 0u) << "the frames were never held without what covers them";
        for (int i = 0; i < 6; ++i) frame(covered, i % 2 ? covered.left : covered.right);
        EXPECT_EQ(covered.p.Pixels().CoverChanges(), settled) << "what stays hidden did not shrink";
        EXPECT_EQ(covered.p.display, covered.p.screen);
    }
}

// Opens a presenter that keeps pixels and gives it a flame of four frames, 400 x 100 at (0, 0),
// stepping every 100 ms: the ring of steps the tests of kept pixels run.
int32_t OpenWithFourStepFlame(Presenter& p) {
    p.keepsSteps = true;
    EXPECT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    const int32_t flame = p.NewSurface();
    for (int k = 1; k <= 4; ++k)
        p.Pixels().SetFramePicture(flame, k, Block(400, 100, Rgb(50 * k, 0, 0)));
    p.SetSurfaceSpeed(flame, 100);
    return flame;
}

// Steps shown from kept pixels compose nothing: a frame between two kept steps gives its copy at
// the detail back. A text that changes with the same step every time (the clock's second) leaves
// the step to its kept pixels when it lies apart from what shows of it, even over a part that
// two pictures hide; beside it, that step is composed, and the copy it needs, once made again,
// stays.
TEST(DDrawControl, FramesBetweenKeptStepsGiveTheirCopiesBackUnlessComposedAgain) {
    for (bool beside : {false, true}) {
        SCOPED_TRACE(beside ? "text beside the step" : "text apart");
        uint32_t now = 0;
        Presenter p(&now);
        p.keepsSteps = true;
        ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
        const int32_t flame = p.NewSurface(), left = p.NewSurface(), right = p.NewSurface();
        for (int k = 1; k <= 4; ++k)
            p.Pixels().SetFramePicture(flame, k, Block(400, 100, Rgb(50 * k, 0, 0)));
        for (int32_t s : {left, right}) {
            p.Pixels().SetFramePicture(
                s, 1,
                Picture::FromRgba(BlockRgba(100, 100, Rgb(0, 0, 90), {}, 0, true).data(), 100, 100,
                                  -1));
            p.SetSurfaceX(s, s == left ? 200 : 300);
        }
        p.SetSurfaceSpeed(flame, 100);
        p.Window(1600, 1200);
        ASSERT_EQ(p.Pixels().Detail(), 2);
        int step = 0;
        auto frame = [&](bool tick) {
            now += 100;
            p.ClearBackBuffer(0);
            p.DrawSurface(flame);
            p.DrawSurface(left);
            p.DrawSurface(right);
            p.SetTextFont("Arial", 10, 30, false, false, false);
            p.DrawTextAt(tick ? std::to_string(step) : "0", beside ? 100 : 290, beside ? 104 : 40,
                         Rgb(0, 0, 255));
            p.FlipDisplay();
            ++step;
        };
        frame(false);
        const size_t one = p.Pixels().DetailBytes();
        for (int i = 0; i < 12; ++i) frame(false);
        const size_t held = p.Pixels().DetailBytes();
        const size_t kept = p.KeptPixelBytes();
        EXPECT_GT(kept, 0u) << "the ring of steps was not kept";
        EXPECT_LE(held, 2 * one) << "the copies of frames between kept steps";
        // Every fourth frame, the same step each time, the text changes too.
        for (int i = 0; i < 16; ++i) frame(step % 4 == 0);
        const size_t withTicks = p.Pixels().DetailBytes();
        if (beside)
            EXPECT_GT(withTicks, one) << "the step that the text comes with has its copies";
        else
            EXPECT_EQ(withTicks, held) << "a text apart from the step composed the step";
        for (int i = 0; i < 8; ++i) frame(step % 4 == 0);
        EXPECT_EQ(p.Pixels().DetailBytes(), withTicks) << "copies let go and made again";
        // Each tick is a change of its own that never comes again: nothing of it is kept.
        EXPECT_EQ(p.KeptPixelBytes(), kept) << "pixels kept of changes seen once";
        EXPECT_EQ(p.display, p.screen);
    }
}

// A step is kept without its flame frame's copy beside it: the copy goes before the pixels are
// kept, and the ring's last step never holds both (at 4K, 4.5 MB over the whole ring).
TEST(DDrawControl, AStepsCopyGoesAsItIsKept) {
    uint32_t now = 0;
    Presenter p(&now);
    const int32_t flame = OpenWithFourStepFlame(p);
    p.Window(1600, 1200);
    int keeps = 0;
    for (int step = 0; step < 9; ++step) {
        now += 100;
        p.ClearBackBuffer(0);
        p.DrawSurface(flame);
        const size_t kept = p.KeptPixelBytes(), copies = p.Pixels().DetailBytes();
        p.FlipDisplay();
        if (p.KeptPixelBytes() == kept) continue;
        ++keeps;
        EXPECT_LT(p.Pixels().DetailBytes(), copies) << "the step kept at " << step;
    }
    EXPECT_EQ(keeps, 4);
    EXPECT_EQ(p.Pixels().DetailBytes(), 0u) << "copies held beside the whole ring";
    EXPECT_EQ(p.display, p.screen);
}

// The clock's second falls on the same flame step every round, from the first frame on, so that
// step is never seen without it. Where the text lies apart from the step, the step is still
// kept like the others, and the text is composed alone beside it.
TEST(DDrawControl, AStepThatAlwaysComesWithTheClocksSecondIsKeptToo) {
    size_t keptWithout = 0;
    for (bool ticks : {false, true}) {
        SCOPED_TRACE(ticks ? "a tick with one step each round" : "no ticks");
        uint32_t now = 0;
        Presenter p(&now);
        const int32_t flame = OpenWithFourStepFlame(p);
        p.Window(1600, 1200);
        for (int step = 0; step < 24; ++step) {
            now += 100;
            p.ClearBackBuffer(0);
            p.DrawSurface(flame);
            p.SetTextFont("Arial", 10, 30, false, false, false);
            p.DrawTextAt(ticks ? std::to_string(step / 4) : "0", 600, 300, Rgb(0, 0, 255));
            p.FlipDisplay();
        }
        if (!ticks) keptWithout = p.KeptPixelBytes();
        EXPECT_GT(p.KeptPixelBytes(), 0u);
        EXPECT_EQ(p.KeptPixelBytes(), keptWithout) << "the step that comes with the tick";
        EXPECT_EQ(p.display, p.screen);
    }
}

// Where the frames differ only in the first columns of their last square, the rest hidden by
// what is drawn over them, a text just beyond that square (the clock beside the flames) is no
// part of the steps: they are known and kept, though the text changes every round. The step
// that the text changes with is composed whole each round while the text lies in that square;
// from the next square on, it is kept like the others.
TEST(DDrawControl, ATextBesideTheHiddenPartOfAStepLeavesTheStepKnown) {
    for (int x : {396, 408}) {
        size_t keptWithout = 0;
        for (bool ticks : {false, true}) {
            SCOPED_TRACE((ticks ? "the text changes every round, at " : "the text stays, at ") +
                         std::to_string(x));
            uint32_t now = 0;
            Presenter p(&now);
            const int32_t flame = OpenWithFourStepFlame(p), side = p.NewSurface();
            p.Pixels().SetFramePicture(
                side, 1,
                Picture::FromRgba(BlockRgba(100, 100, Rgb(0, 0, 90), {}, 0, true).data(), 100, 100,
                                  -1));
            p.SetSurfaceX(side, 386);  // the frames' last square is 384 to 400
            p.Window(1600, 1200);
            for (int step = 0; step < 24; ++step) {
                now += 100;
                p.ClearBackBuffer(0);
                p.DrawSurface(flame);
                p.DrawSurface(side);
                p.SetTextFont("Arial", 10, 30, false, false, false);
                p.DrawTextAt(ticks ? std::to_string(step / 4) : "0", x, 40, Rgb(0, 0, 255));
                p.FlipDisplay();
            }
            if (!ticks) keptWithout = p.KeptPixelBytes();
            ASSERT_GT(keptWithout, 0u);
            if (x < 400)
                EXPECT_GE(p.KeptPixelBytes() * 4, keptWithout * 3);
            else
                EXPECT_EQ(p.KeptPixelBytes(), keptWithout) << "the step the text changes with";
            EXPECT_EQ(p.display, p.screen);
        }
    }
}

// While the steps come from kept pixels, a picture that nothing draws (a stocking beside the
// flames) gives its copy at the detail back after a while; a text later drawn over it makes
// it again, and the screen shows what a presenter that never keeps a step shows.
TEST(DDrawControl, CopiesIdleWhileStepsAreKeptGoAndAreMadeAgainWhenDrawn) {
    std::vector<uint32_t> screens[2];
    for (bool keeps : {false, true}) {
        SCOPED_TRACE(keeps ? "keeping steps" : "composing every step");
        uint32_t now = 0;
        Presenter p(&now);
        const int32_t flame = OpenWithFourStepFlame(p), still = p.NewSurface();
        p.keepsSteps = keeps;
        p.Pixels().SetFramePicture(still, 1, Block(120, 90, Rgb(30, 160, 60)));
        p.SetSurfaceX(still, 500), p.SetSurfaceY(still, 400);
        p.Window(1600, 1200);
        auto frame = [&](const std::string& text) {
            now += 100;
            p.ClearBackBuffer(0);
            p.DrawSurface(flame);
            p.DrawSurface(still);
            p.SetTextFont("Arial", 10, 30, false, false, false);
            p.DrawTextAt(text, 520, 420, Rgb(0, 0, 255));
            p.FlipDisplay();
        };
        for (int i = 0; i < 12; ++i) frame("Dec");
        const size_t early = p.Pixels().DetailBytes();
        for (int i = 0; i < 30; ++i) frame("Dec");
        if (keeps) {
            EXPECT_LT(p.Pixels().DetailBytes(), early) << "the still picture's copy stayed";
        }
        frame("Monday");
        EXPECT_EQ(p.display, p.screen);
        screens[keeps] = p.display;
    }
    EXPECT_EQ(screens[0], screens[1]);
}

// After a rotation, the steps of the style rotated away no longer come: their kept pixels go
// before the new style is composed, and so do the frames' copies made again to compose the new
// style's steps, once those are kept. The two styles' steps are never held together.
TEST(DDrawControl, ARotationKeepsOneStylesStepsAndCopies) {
    uint32_t now = 0;
    Presenter p(&now);
    const int32_t flame = OpenWithFourStepFlame(p), a = p.NewSurface(), b = p.NewSurface();
    // Two surround styles: the flames show through an opening in each.
    auto surround = [](Colour c) {
        std::vector<uint8_t> rgba = BlockRgba(400, 120, c, {}, 0, true);
        for (int y = 20; y < 90; ++y)
            for (int x = 50; x < 350; ++x) rgba[(static_cast<size_t>(y) * 400 + x) * 4 + 3] = 0;
        return Picture::FromRgba(rgba.data(), 400, 120, -1);
    };
    p.Pixels().SetFramePicture(a, 1, surround(Rgb(0, 0, 90)));
    p.Pixels().SetFramePicture(b, 1, surround(Rgb(0, 90, 0)));
    p.Window(1600, 1200);
    ASSERT_EQ(p.Pixels().Detail(), 2);
    auto run = [&](int32_t style, int frames) {
        for (int i = 0; i < frames; ++i) {
            now += 100;
            p.ClearBackBuffer(0);
            p.DrawSurface(flame);
            p.DrawSurface(style);
            p.SetTextFont("Arial", 10, 30, false, false, false);
            p.DrawTextAt("Dec", 20, 100, Rgb(0, 0, 255));
            p.FlipDisplay();
        }
    };
    run(a, 12);
    const size_t kept = p.KeptPixelBytes(), held = p.Pixels().DetailBytes();
    ASSERT_GT(kept, 0u);
    p.mostKeptBytes = 0;
    run(b, 1);
    EXPECT_EQ(p.mostKeptBytes, 0u) << "the old style's steps held while the new one was composed";
    run(b, 99);
    EXPECT_EQ(p.KeptPixelBytes(), kept) << "the style rotated away kept its steps";
    EXPECT_LE(p.Pixels().DetailBytes(), held) << "the frames' copies made again stayed";
    run(a, 100);
    EXPECT_EQ(p.KeptPixelBytes(), kept) << "a style coming back is kept again";
    EXPECT_EQ(p.display, p.screen);
}

// A rotation announced (DrawSoon, GoesSoon, ChangesIn) is made ready in the frame before it: the
// going style's kept steps are let go but the one the next frame shows, and the flames it shows
// are made under the new cover, so its own frame makes no copy. Should it come a frame later,
// that frame is shown from its kept step. Another style than the one announced (c) leaves the
// copy unused. Either way the screen is what an unannounced rotation shows.
TEST(DDrawControl, ARotationAnnouncedIsMadeReadyInTheFrameBefore) {
    // Unannounced to b, announced to b, announced to b but to c, unannounced to c, announced
    // to b but a frame later.
    std::vector<uint32_t> screens[5];
    for (int run : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(run);
        const bool announced = run == 1 || run == 2 || run == 4;
        const bool toC = run == 2 || run == 3;
        uint32_t now = 0;
        Presenter p(&now);
        p.idleLater = true;
        const int32_t flame = OpenWithFourStepFlame(p);
        const int32_t a = p.NewSurface(), b = p.NewSurface(), c = p.NewSurface();
        // Surround styles, each with its own opening over the flames.
        auto surround = [](Colour colour, int left) {
            std::vector<uint8_t> rgba = BlockRgba(400, 120, colour, {}, 0, true);
            for (int y = 20; y < 90; ++y)
                for (int x = left; x < left + 300; ++x)
                    rgba[(static_cast<size_t>(y) * 400 + x) * 4 + 3] = 0;
            return Picture::FromRgba(rgba.data(), 400, 120, -1);
        };
        p.Pixels().SetFramePicture(a, 1, surround(Rgb(0, 0, 90), 50));
        p.Pixels().SetFramePicture(b, 1, surround(Rgb(0, 90, 0), 80));
        p.Pixels().SetFramePicture(c, 1, surround(Rgb(90, 0, 0), 20));
        p.Window(1600, 1200);
        auto frame = [&](int32_t style) {
            now += 100;
            p.ClearBackBuffer(0);
            p.DrawSurface(flame);
            p.DrawSurface(style);
            p.FlipDisplay();
        };
        auto frames = [&](int32_t style, int count) {
            for (int i = 0; i < count; ++i) frame(style), p.Idle();
        };
        frames(a, 12);
        const size_t ring = p.KeptPixelBytes();
        ASSERT_GT(ring, 0u);
        if (announced) {
            p.DrawSoon(b);
            p.GoesSoon(a);
            p.ChangesIn(150);  // between the next frame and the one after
        }
        frames(a, 1);
        if (announced) {
            EXPECT_LT(p.KeptPixelBytes() * 2, ring) << "more than the next frame's step stayed";
        }
        uint64_t made = p.Pixels().CopiesMade();
        if (run == 4) {
            frame(a);
            EXPECT_EQ(p.Pixels().CopiesMade(), made) << "the frame before composed";
            p.Idle();
            EXPECT_EQ(p.Pixels().CopiesMade(), made + 1) << "more than the flames made again";
            made = p.Pixels().CopiesMade();
        }
        frame(toC ? c : b);
        if (run == 1 || run == 4) {
            EXPECT_EQ(p.Pixels().CopiesMade(), made) << "made in the rotation";
        }
        frames(toC ? c : b, 8);
        EXPECT_EQ(p.display, p.screen);
        screens[run] = p.display;
    }
    EXPECT_EQ(screens[1], screens[0]);
    EXPECT_EQ(screens[2], screens[3]);
}

// A style that rotates away is let go before the next one is made at the detail, and the two,
// though of one size in one place, are not compared: the two are never held at once.
TEST(DDrawControl, AStyleRotatedAwayGoesBeforeTheNextIsMade) {
    uint32_t now = 0;
    Presenter p(&now);
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    const int32_t a = p.NewSurface(), b = p.NewSurface();
    p.Pixels().SetFramePicture(a, 1, Block(300, 200, Rgb(200, 0, 0)));
    p.Pixels().SetFramePicture(b, 1, Block(300, 200, Rgb(0, 200, 0)));
    p.Window(1600, 1200);
    auto frame = [&](int32_t style) {
        p.ClearBackBuffer(0);
        p.DrawSurface(style);
        p.SetTextFont("Arial", 10, 30, false, false, false);
        p.DrawTextAt("Dec", 50, 50, Rgb(0, 0, 255));
        p.FlipDisplay();
    };
    frame(a), frame(a);
    const size_t one = p.Pixels().DetailBytes();
    p.mostDetailBytes = 0;
    frame(b);
    EXPECT_GT(p.mostDetailBytes, 0u) << "the text over the styles was not composed again";
    EXPECT_LE(p.mostDetailBytes, one) << "both styles held while the new one was composed";
    EXPECT_EQ(p.display, p.screen);
}

// A change seen before is shown from its kept pixels only while what lies around it is the
// same too: a scaled pixel at its edge blends the neighbour beyond it.
TEST(DDrawControl, KeptPixelsAreNotShownBesideAChangedNeighbour) {
    uint32_t now = 0;
    // The same frames shown by one presenter that keeps steps and one that composes them all.
    std::vector<uint32_t> screens[2];
    for (bool keeps : {false, true}) {
        Presenter p(&now);
        p.keepsSteps = keeps;
        ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
        const int32_t flame = p.NewSurface(), side = p.NewSurface();
        p.Pixels().SetFramePicture(flame, 1, Block(32, 32, Rgb(200, 0, 0)));
        p.Pixels().SetFramePicture(flame, 2, Block(32, 32, Rgb(0, 200, 0)));
        p.Pixels().SetFramePicture(side, 1, Block(8, 32, Rgb(0, 0, 250)));
        p.Pixels().SetFramePicture(side, 2, Block(8, 32, Rgb(250, 250, 0)));
        for (int32_t s : {flame, side}) {
            p.SetSurfaceSpeed(s, 1 << 30);
            p.SetSurfaceY(s, 100);
        }
        p.SetSurfaceX(flame, 100);
        p.SetSurfaceX(side, 132);
        p.Window(880, 660);
        auto frame = [&](int f, int s) {
            p.SetSurfaceFrame(flame, f);
            p.SetSurfaceFrame(side, s);
            p.ClearBackBuffer(0);
            p.DrawSurface(flame);
            p.DrawSurface(side);
            p.FlipDisplay();
        };
        frame(1, 1), frame(2, 1), frame(1, 1), frame(1, 2), frame(2, 2);
        EXPECT_EQ(p.display, p.screen);
        screens[keeps] = p.display;
    }
    EXPECT_EQ(screens[0], screens[1]);
}

// Where the back end shows kept steps straight from where they are kept, the window's picture
// falls behind the screen. Painted from (the window uncovered), it shows what the screen does.
// Steps kept while it is behind (the flames held still on the second frame until their kept
// pixels went, then going on) find their runs against what the screen showed, not the picture's
// old pixels: it still holds the third frame. The screen stays what a presenter that composes
// every step shows.
TEST(DDrawControl, KeptStepsShownPastThePictureLeaveItAsTheScreenWhenPaintedFrom) {
    uint32_t now = 0;
    Presenter kept(&now), plain(&now);
    kept.showsKept = true;
    int32_t flame = 0;
    for (Presenter* p : {&kept, &plain}) {
        flame = OpenWithFourStepFlame(*p);
        p->keepsSteps = p == &kept;
        p->SetSurfaceSpeed(flame, 1 << 30);
        p->Window(1600, 1200, {}, true);
    }
    auto inPicture = [](const Presenter& p) {
        std::vector<uint32_t> seen;
        const int w = p.CurrentStage().width;
        for (int y = p.picture.top; y < p.picture.bottom; ++y)
            seen.insert(seen.end(), &p.display[static_cast<size_t>(y) * w + p.picture.left],
                        &p.display[static_cast<size_t>(y) * w + p.picture.right]);
        return seen;
    };
    int step = 0;
    auto frames = [&](int count, bool still) {
        for (int i = 0; i < count; ++i) {
            if (!still) ++step;
            for (Presenter* p : {&kept, &plain}) {
                p->SetSurfaceFrame(flame, step % 4 + 1);
                p->ClearBackBuffer(0);
                p->DrawSurface(flame);
                p->FlipDisplay();
            }
            ASSERT_EQ(kept.display, plain.display) << "after step " << step;
        }
    };
    frames(14, false);
    ASSERT_GT(kept.keptPixelsShown, 0) << "no step was shown past the picture";
    EXPECT_NE(kept.screen, inPicture(kept)) << "the picture kept up with the screen";
    kept.PictureAsShown();
    EXPECT_EQ(kept.screen, inPicture(kept)) << "painted from";
    frames(3, false);
    frames(80, true);
    frames(16, false);
    EXPECT_GT(kept.KeptPixelBytes(), 0u) << "the steps were not kept again";
}

// A step seen before puts back what its squares showed then, but only while the drawings over
// them are the same: a text in one of them that changed since makes them hashed anew, or its
// return to the old text would be taken for no change.
TEST(DDrawControl, AStepSeenBeforeBesideATextThatChangedIsNotTakenForWhatItShowedThen) {
    uint32_t now = 0;
    auto show = [&](Presenter& p, int32_t flame, int f, const std::string& text) {
        p.SetSurfaceFrame(flame, f);
        p.ClearBackBuffer(0);
        p.DrawSurface(flame);
        p.SetTextFont("Arial", 4, 30, false, false, false);
        p.DrawTextAt(text, 27, 0, Rgb(0, 0, 255));
        p.FlipDisplay();
    };
    auto open = [&](Presenter& p) {
        EXPECT_TRUE(p.OpenDisplay(800, 600, 16, ""));
        const int32_t flame = p.NewSurface();
        // The two frames differ in one square of 16, which lies across two squares of the
        // screen's; the text stands in the second, beyond the change's reach.
        p.Pixels().SetFramePicture(flame, 1, Block(16, 16, Rgb(200, 0, 0)));
        p.Pixels().SetFramePicture(flame, 2, Block(16, 16, Rgb(0, 200, 0)));
        p.SetSurfaceSpeed(flame, 1 << 30);
        p.SetSurfaceX(flame, 8);
        p.Window(880, 660);
        return flame;
    };
    Presenter p(&now), whole(&now);
    const int32_t flame = open(p);
    for (const auto& [f, text] : std::vector<std::pair<int, std::string>>{
             {1, "a"}, {2, "a"}, {1, "a"}, {1, "b"}, {2, "b"}, {2, "a"}})
        show(p, flame, f, text);
    show(whole, open(whole), 2, "a");
    EXPECT_EQ(p.display, whole.display);
}

// Frames come when the next flame frame is due. Even with a timer that only fires on ticks of
// 15.6 ms, as Windows' does, every flame frame is shown at every pace the dialog offers.
TEST(DDrawControl, FramesComeSoEveryFlameFrameIsShownAtEveryPace) {
    for (int pace : {25, 40, 100, 250}) {
        Hearth h;
        h.p.SetSurfaceSpeed(h.flame, pace);
        h.p.SetSurfaceFrame(h.flame, 1);
        double t = 0;
        int last = 1, steps = 0;
        while (t < 5000) {
            const int delay = h.p.NextFrameDelayMs(60);
            EXPECT_GE(delay, 15);
            EXPECT_LE(delay, DDrawControl::kSlowestFrameMs);
            t = std::ceil((t + delay) / 15.625) * 15.625;
            h.now = static_cast<uint32_t>(t);
            const int shown = h.p.Pixels().CurrentFrame(h.flame);
            ASSERT_TRUE(shown == last || shown == last % 3 + 1)
                << "pace " << pace << ": frame " << last << " then " << shown;
            steps += shown != last;
            last = shown;
        }
        EXPECT_NEAR(steps, 5000 / pace, 2) << "pace " << pace;
    }
    // A still picture still asks ten times a second, for the clock.
    uint32_t now = 0;
    Presenter still(&now);
    EXPECT_EQ(still.NextFrameDelayMs(0), DDrawControl::kSlowestFrameMs);
}

TEST(DDrawControl, FrameDueIsNeverRaisedInsideAFrameNorWhileClosed) {
    uint32_t now = 0;
    Presenter p(&now);
    Recorder r;
    p.SetEvents(&r);
    p.RaiseFrameDue();
    EXPECT_TRUE(r.events.empty());
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    r.reenter = &p;
    p.RaiseFrameDue();
    p.RaiseFrameDue();
    EXPECT_EQ(r.events, (std::vector<std::string>{"frame", "frame"}));
}

TEST(DDrawControl, OnlyARealChangeOfPlaceIsAMove) {
    uint32_t now = 0;
    Presenter p(&now);
    Recorder r;
    p.SetEvents(&r);
    p.PointerAt(0, 0, 500, 500);  // closed: the window's own handlers serve
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    p.Window(1920, 1080);
    p.PointerAt(0, 0, 500, 500);  // where the pointer is when the window appears
    p.PointerAt(0, 0, 500, 500);
    EXPECT_TRUE(r.events.empty());
    p.PointerAt(1, 2, 501, 500);
    p.PointerAt(1, 2, 501, 500);
    p.PointerAt(0, 0, 240, 1079);
    EXPECT_EQ(r.events, (std::vector<std::string>{"move 1 2 145,277", "move 0 0 0,599"}));
    // Focus coming back, and reopening, only set the place again.
    r.events.clear();
    p.ForgetPointer();
    p.PointerAt(0, 0, 700, 700);
    EXPECT_TRUE(r.events.empty());
    p.CloseDisplay();
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    r.events.clear();
    p.PointerAt(0, 0, 9, 9);
    EXPECT_TRUE(r.events.empty());
}

// A monitor left of the primary one drops off: the window shrinks and its origin moves, so the
// pointer, untouched, sits at another window point.
TEST(DDrawControl, ADisplayChangeBetweenTwoPointerMessagesIsNoMove) {
    uint32_t now = 0;
    Presenter p(&now);
    Recorder r;
    p.SetEvents(&r);
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    p.Window(2048, 768, {1024, 0, 2048, 768});
    p.PointerAt(0, 0, 1500, 300);
    p.Window(1024, 768, {0, 0, 1024, 768});
    p.PointerAt(0, 0, 476, 300);
    EXPECT_TRUE(r.events.empty());
    p.PointerAt(0, 0, 480, 300);
    EXPECT_EQ(r.events.size(), 1u) << "the user's own move after it counts";
}

TEST(DDrawControl, ButtonsAndKeysReachTheSceneOnlyWhileOpenFromAnyMonitor) {
    uint32_t now = 0;
    Presenter p(&now);
    Recorder r;
    p.SetEvents(&r);
    p.ButtonDown(1, 0, 10, 10);
    p.KeyDown(78, 0);
    EXPECT_TRUE(r.events.empty());
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    p.Window(2048, 768, {1024, 0, 2048, 768});
    p.ButtonDown(2, 1, 1024 + 128, 768 - 1);
    p.ButtonDown(1, 0, 100, 100);  // on the wall of the other monitor
    p.KeyDown(81, 4);
    EXPECT_EQ(r.events,
              (std::vector<std::string>{"button 2 1 100,599", "button 1 0 -722,78", "key 81 4"}));
}

}  // namespace
}  // namespace hg
