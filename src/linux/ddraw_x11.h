#pragma once
// The drawing control on X11: the portable control composes into our own RGB565 back buffer,
// FreeType writes the texts onto it, and each flip is scaled into a shared-memory XImage (MIT-SHM;
// a plain XImage where the server is remote) and put on the target window. Frames are paced by
// one of the loop's timers, as the Win32 presenter paces them by a window timer.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "controls/ddraw_control.h"
#include "linux/text_freetype.h"
#include "scene/timer.h"

namespace hg {

// The Windows virtual-key value of an X key, as the scene's key handler reads it; 0 for a key
// that has none (it still ends the scene, as every key but N, P, Q and S does).
int16_t VirtualKeyOf(KeySym sym);
// Shift 1, Ctrl 2, Alt 4, from an X event's modifier state.
int16_t ShiftOf(unsigned state);

class X11DDraw : public DDrawControl {
public:
    // About 30 frames a second, as on Windows.
    static constexpr int kFrameMs = 33;

    // `takesInput`: the window is ours and its pointer and keys reach the scene; on the root
    // window or a window of xscreensaver's, input is the host's business.
    X11DDraw(Display* display, Window target, bool takesInput, TimerDriver& timers,
             std::string assetDir);
    ~X11DDraw() override;

    void LoadSurfaceFrame(int32_t surface, int32_t frame, const std::string& path,
                          int32_t key) override;

    // An event of the target window; true when the display took it.
    bool OnEvent(const XEvent& event);

protected:
    uint16_t* OpenPresentation() override;
    void ClosePresentation() override;
    void Present() override;
    void PaintText(const TextFont& font, const std::string& text, int32_t x, int32_t y,
                   Colour colour) override;

private:
    struct Image;
    Letterbox View() const { return Letterbox::For(width_, height_); }
    void Resize(int width, int height);
    bool MakeImage();
    void FreeImage();
    void Scale();
    void PutImage();
    void FrameTick();

    Display* display_;
    Window target_;
    bool takesInput_;
    std::string assetDir_;
    std::vector<uint16_t> back_;
    int width_ = 0, height_ = 0;
    std::unique_ptr<Image> image_;
    GC gc_ = nullptr;
    Timer frameTimer_;
    TextPainter text_;
    std::set<unsigned> keysDown_;  // held keys: X repeats a held key as further presses
    bool pointerKnown_ = false;
    bool presented_ = false;
};

}  // namespace hg
