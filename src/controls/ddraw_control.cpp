#include "controls/ddraw_control.h"

#include <algorithm>

namespace hg {

Letterbox Letterbox::For(int windowWidth, int windowHeight) {
    Letterbox b;
    if (windowWidth <= 0 || windowHeight <= 0) return b;
    const int64_t w = windowWidth, h = windowHeight;
    // Compare w/800 with h/600 without fractions: the narrower side decides the scale.
    if (w * Compositor::kHeight <= h * Compositor::kWidth) {
        b.width = windowWidth;
        b.height = static_cast<int>(w * Compositor::kHeight / Compositor::kWidth);
    } else {
        b.height = windowHeight;
        b.width = static_cast<int>(h * Compositor::kWidth / Compositor::kHeight);
    }
    b.x = (windowWidth - b.width) / 2;
    b.y = (windowHeight - b.height) / 2;
    return b;
}

int Letterbox::LogicalX(int windowX) const {
    if (width <= 0) return windowX;
    return static_cast<int>(int64_t{windowX - x} * Compositor::kWidth / width);
}

int Letterbox::LogicalY(int windowY) const {
    if (height <= 0) return windowY;
    return static_cast<int>(int64_t{windowY - y} * Compositor::kHeight / height);
}

DDrawControl::DDrawControl(MillisecondClock clock) : compositor_(std::move(clock)) {}

bool DDrawControl::OpenDisplay(int width, int height, int bitsPerPixel, const std::string&) {
    if (width != Compositor::kWidth || height != Compositor::kHeight || bitsPerPixel != 16)
        return false;
    if (open_) return true;
    uint16_t* pixels = OpenPresentation();
    if (!pixels) return false;
    compositor_.UseBackBuffer(pixels);
    compositor_.Clear(0);
    pointer_.reset();
    open_ = true;
    return true;
}

void DDrawControl::CloseDisplay() {
    if (!open_) return;
    open_ = false;
    // Back to our own memory before the presenter frees its bitmap.
    compositor_.UseBackBuffer(nullptr);
    ClosePresentation();
}

int32_t DDrawControl::NewSurface() { return compositor_.NewSurface(); }

void DDrawControl::LoadSurfaceFrame(int32_t surface, int32_t frame, const std::string& path,
                                    int32_t key) {
    compositor_.LoadFrame(surface, frame, path, key);
}

void DDrawControl::SetSurfaceX(int32_t surface, int32_t x) { compositor_.SetX(surface, x); }
void DDrawControl::SetSurfaceY(int32_t surface, int32_t y) { compositor_.SetY(surface, y); }

void DDrawControl::SetSurfaceFrame(int32_t surface, int32_t frame) {
    compositor_.SetFrame(surface, frame);
}

void DDrawControl::SetSurfaceSpeed(int32_t surface, int32_t speed) {
    compositor_.SetSpeed(surface, speed);
}

void DDrawControl::ClearBackBuffer(Colour colour) { compositor_.Clear(colour); }

void DDrawControl::DrawSurface(int32_t surface) { compositor_.Draw(surface); }

void DDrawControl::SetTextFont(const std::string& face, int32_t size, int32_t, bool bold,
                               bool italic, bool underline) {
    font_ = TextFont{face, size, bold, italic, underline};
}

void DDrawControl::DrawTextAt(const std::string& text, int32_t x, int32_t y, Colour colour) {
    if (open_ && !text.empty()) PaintText(font_, text, x, y, colour);
}

void DDrawControl::FlipDisplay() {
    if (open_) Present();
}

void DDrawControl::RaiseFrameDue() {
    // A frame that is still being drawn (a message box or a modal loop inside it pumping
    // messages) must not start another one over the same back buffer.
    if (!open_ || inFrame_ || !events_) return;
    inFrame_ = true;
    events_->FrameDue();
    inFrame_ = false;
}

void DDrawControl::PointerAt(int buttons, int shift, int windowX, int windowY,
                             const Letterbox& view) {
    if (!open_) return;
    const std::pair<int, int> at{windowX, windowY};
    const bool moved = pointer_ && *pointer_ != at;
    pointer_ = at;
    if (moved && events_)
        events_->MouseMoved(buttons, shift, view.LogicalX(windowX), view.LogicalY(windowY));
}

void DDrawControl::ButtonDown(int button, int shift, int windowX, int windowY,
                              const Letterbox& view) {
    if (!open_) return;
    if (events_)
        events_->MouseButton(button, shift, view.LogicalX(windowX), view.LogicalY(windowY));
}

void DDrawControl::KeyDown(int16_t keyCode, int16_t shift) {
    if (!open_) return;
    if (events_) events_->KeyEvent(keyCode, shift);
}

}  // namespace hg
