#pragma once
// The drawing control without its platform: surfaces and composition go to the Compositor, the
// display's presentation, its text and its window to a back end (the Win32 presenter, or a test).
//
// What the values the scene passes mean here:
// - OpenDisplay(800, 600, 16, ""): the logical display is always 800 x 600 in RGB565, shown
//   scaled on the whole window; no display mode is ever switched. Other sizes or depths are
//   refused (the compositor has one size). The text names nothing yet and is ignored.
// - LoadSurfaceFrame's key -1: magenta (255, 0, 255) is transparent (see KeyColour).
// - SetSurfaceFrame(s, 1): the surface shows frame 1 now and steps on from there.
// - SetSurfaceSpeed(s, v): v milliseconds per frame (the dialog's 25 fast .. 250 slow; seeded
//   100); zero or negative means 100.
// - Surfaces are never lost: they live in our own memory, not in video memory that a mode
//   switch could take away. IsSurfaceLost is always false, RestoreSurface does nothing.
// - A picture that is missing or unreadable leaves an empty frame that draws nothing.
// - SetTextFont(face, size, n, bold, italic, underline): size is the character cell's height
//   in logical pixels; n (30 for the calendar, 1 for the message) reads as neither weight,
//   width nor angle and is ignored.
// - DrawTextAt(text, x, y, colour): (x, y) is the top-left of the character cell; the
//   background stays transparent.
// - Mouse and key events carry Visual Basic's values: button 1 left, 2 right, 4 middle; shift
//   1 Shift, 2 Ctrl, 4 Alt; mouse positions in logical display pixels.
#include <cstdint>
#include <optional>
#include <string>

#include "controls/compositor.h"
#include "scene/controls.h"

namespace hg {

// Where the 800 x 600 picture lands in a window of any size: scaled with the aspect kept,
// centred, the rest black bars.
struct Letterbox {
    int x = 0, y = 0, width = 0, height = 0;
    static Letterbox For(int windowWidth, int windowHeight);
    // A window point in logical display pixels (outside the picture it lies beyond 0..799).
    int LogicalX(int windowX) const;
    int LogicalY(int windowY) const;
};

struct TextFont {
    std::string face;
    int32_t size = 0;
    bool bold = false, italic = false, underline = false;
    bool operator==(const TextFont&) const = default;
};

class DDrawControl : public TegoDDrw {
public:
    explicit DDrawControl(MillisecondClock clock);

    bool OpenDisplay(int width, int height, int bitsPerPixel, const std::string& options) override;
    void CloseDisplay() override;
    int32_t NewSurface() override;
    void LoadSurfaceFrame(int32_t surface, int32_t frame, const std::string& path,
                          int32_t key) override;
    void SetSurfaceX(int32_t surface, int32_t x) override;
    void SetSurfaceY(int32_t surface, int32_t y) override;
    void SetSurfaceFrame(int32_t surface, int32_t frame) override;
    void SetSurfaceSpeed(int32_t surface, int32_t speed) override;
    void ClearBackBuffer(Colour colour) override;
    bool IsSurfaceLost(int32_t surface) override { return false; }
    void RestoreSurface(int32_t surface) override {}
    void DrawSurface(int32_t surface) override;
    void SetTextFont(const std::string& face, int32_t size, int32_t n, bool bold, bool italic,
                     bool underline) override;
    void DrawTextAt(const std::string& text, int32_t x, int32_t y, Colour colour) override;
    void FlipDisplay() override;

    bool IsOpen() const { return open_; }
    Compositor& Pixels() { return compositor_; }

protected:
    // The back end. OpenPresentation gives the memory the compositor is to draw into (the
    // presenter's own bitmap), or null when the display cannot be shown.
    virtual uint16_t* OpenPresentation() = 0;
    virtual void ClosePresentation() = 0;
    virtual void Present() = 0;
    virtual void PaintText(const TextFont& font, const std::string& text, int32_t x, int32_t y,
                           Colour colour) = 0;

    // Input from the back end while the display is open.
    void RaiseFrameDue();
    // A pointer message at a window point; only a real change of place is a move. The first
    // message after opening only sets the place: windows report one when they appear.
    void PointerAt(int buttons, int shift, int windowX, int windowY, const Letterbox& view);
    // The next pointer message only sets the place again.
    void ForgetPointer() { pointer_.reset(); }
    void ButtonDown(int button, int shift, int windowX, int windowY, const Letterbox& view);
    void KeyDown(int16_t keyCode, int16_t shift);

private:
    Compositor compositor_;
    bool open_ = false;
    bool inFrame_ = false;
    std::optional<std::pair<int, int>> pointer_;
    TextFont font_;
};

}  // namespace hg
