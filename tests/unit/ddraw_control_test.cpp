// The drawing control above its back end: opening, presenting, text, the letterbox and the
// input rules (one physical action, one event; a pointer that did not move is no move).
#include "controls/ddraw_control.h"

#include <gtest/gtest.h>

#include <vector>

namespace hg {
namespace {

class Presenter : public DDrawControl {
public:
    Presenter() : DDrawControl([this] { return now; }) {}
    ~Presenter() override { CloseDisplay(); }

    uint32_t now = 0;
    bool canOpen = true;
    std::vector<uint16_t> memory = std::vector<uint16_t>(800 * 600, 0xAAAA);
    int presents = 0, closes = 0;
    std::vector<std::string> texts;

    using DDrawControl::ButtonDown;
    using DDrawControl::ForgetPointer;
    using DDrawControl::KeyDown;
    using DDrawControl::PointerAt;
    using DDrawControl::RaiseFrameDue;

protected:
    uint16_t* OpenPresentation() override { return canOpen ? memory.data() : nullptr; }
    void ClosePresentation() override { ++closes; }
    void Present() override { ++presents; }
    void PaintText(const TextFont& f, const std::string& text, int32_t x, int32_t y,
                   Colour colour) override {
        texts.push_back(f.face + "/" + std::to_string(f.size) + (f.bold ? "/b" : "") +
                        (f.italic ? "/i" : "") + (f.underline ? "/u" : "") + " " + text + " @" +
                        std::to_string(x) + "," + std::to_string(y) + " " +
                        std::to_string(colour));
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

TEST(Letterbox, KeepsTheAspectAndCentresWithBars) {
    auto box = [](int w, int h) {
        Letterbox b = Letterbox::For(w, h);
        return std::vector<int>{b.x, b.y, b.width, b.height};
    };
    EXPECT_EQ(box(800, 600), (std::vector<int>{0, 0, 800, 600}));
    EXPECT_EQ(box(1024, 768), (std::vector<int>{0, 0, 1024, 768}));
    EXPECT_EQ(box(1920, 1080), (std::vector<int>{240, 0, 1440, 1080}));
    EXPECT_EQ(box(1280, 1024), (std::vector<int>{0, 32, 1280, 960}));
    EXPECT_EQ(box(153, 115), (std::vector<int>{0, 0, 153, 114}));
    EXPECT_EQ(box(0, 768), (std::vector<int>{0, 0, 0, 0}));
    Letterbox wide = Letterbox::For(1920, 1080);
    EXPECT_EQ(wide.LogicalX(240), 0);
    EXPECT_EQ(wide.LogicalX(1679), 799);
    EXPECT_EQ(wide.LogicalY(540), 300);
    EXPECT_LT(wide.LogicalX(10), 0) << "a point in the bar lies off the picture";
}

TEST(DDrawControl, OpensOnlyTheLogicalDisplayAndDrawsIntoThePresentersMemory) {
    Presenter p;
    EXPECT_FALSE(p.OpenDisplay(640, 480, 16, ""));
    EXPECT_FALSE(p.OpenDisplay(800, 600, 32, ""));
    EXPECT_FALSE(p.IsOpen());
    p.canOpen = false;
    EXPECT_FALSE(p.OpenDisplay(800, 600, 16, ""));
    p.canOpen = true;
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    EXPECT_TRUE(p.OpenDisplay(800, 600, 16, "")) << "opening twice is harmless";
    EXPECT_EQ(p.memory[0], 0) << "opened black";
    p.ClearBackBuffer(Rgb(0, 0, 255));
    EXPECT_EQ(p.memory[600 * 800 - 1], 0x001F);
    EXPECT_FALSE(p.IsSurfaceLost(1));
    p.FlipDisplay();
    EXPECT_EQ(p.presents, 1);
    // Once closed the presenter's memory is no longer touched (it is freed right after).
    p.CloseDisplay();
    p.CloseDisplay();
    EXPECT_EQ(p.closes, 1);
    p.ClearBackBuffer(Rgb(255, 0, 0));
    p.FlipDisplay();
    EXPECT_EQ(p.memory[0], 0x001F);
    EXPECT_EQ(p.presents, 1);
}

TEST(DDrawControl, TextUsesTheLastFontAndNeedsAnOpenDisplay) {
    Presenter p;
    p.SetTextFont("Arial", 46, 30, false, false, false);
    p.DrawTextAt("7", 14, 36, Rgb(255, 0, 0));
    EXPECT_TRUE(p.texts.empty());
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    p.DrawTextAt("7", 14, 36, Rgb(255, 0, 0));
    p.SetTextFont("Times", 12, 1, true, true, true);
    p.DrawTextAt("Dec", -5, 599, Rgb(0, 0, 255));
    p.DrawTextAt("", 0, 0, Rgb(0, 0, 255));
    EXPECT_EQ(p.texts, (std::vector<std::string>{"Arial/46 7 @14,36 255",
                                                 "Times/12/b/i/u Dec @-5,599 16711680"}));
}

TEST(DDrawControl, FrameDueIsNeverRaisedInsideAFrameNorWhileClosed) {
    Presenter p;
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
    Presenter p;
    Recorder r;
    p.SetEvents(&r);
    const Letterbox view = Letterbox::For(1920, 1080);
    p.PointerAt(0, 0, 500, 500, view);  // closed: the window's own handlers serve
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    p.PointerAt(0, 0, 500, 500, view);  // where the pointer is when the window appears
    p.PointerAt(0, 0, 500, 500, view);
    EXPECT_TRUE(r.events.empty());
    p.PointerAt(1, 2, 501, 500, view);
    p.PointerAt(1, 2, 501, 500, view);
    p.PointerAt(0, 0, 240, 1079, view);
    EXPECT_EQ(r.events, (std::vector<std::string>{"move 1 2 145,277", "move 0 0 0,599"}));
    // Focus coming back, and reopening, only set the place again.
    r.events.clear();
    p.ForgetPointer();
    p.PointerAt(0, 0, 700, 700, view);
    EXPECT_TRUE(r.events.empty());
    p.CloseDisplay();
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    r.events.clear();
    p.PointerAt(0, 0, 9, 9, view);
    EXPECT_TRUE(r.events.empty());
}

TEST(DDrawControl, ButtonsAndKeysReachTheSceneOnlyWhileOpen) {
    Presenter p;
    Recorder r;
    p.SetEvents(&r);
    const Letterbox view = Letterbox::For(1024, 768);
    p.ButtonDown(1, 0, 10, 10, view);
    p.KeyDown(78, 0);
    EXPECT_TRUE(r.events.empty());
    ASSERT_TRUE(p.OpenDisplay(800, 600, 16, ""));
    p.ButtonDown(2, 1, 128, 768 - 1, view);
    p.KeyDown(81, 4);
    EXPECT_EQ(r.events, (std::vector<std::string>{"button 2 1 100,599", "key 81 4"}));
}

}  // namespace
}  // namespace hg
