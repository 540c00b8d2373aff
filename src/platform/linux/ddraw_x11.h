#pragma once
// The drawing control's X11 back end, on the same portable core as the Win32 one: the logical
// picture, at the detail the scene is composed at, is our own memory, FreeType paints the texts
// onto it, and the window's own
// 32-bit picture is a shared-memory XImage (MIT-SHM; a plain XImage where the server is
// elsewhere on the network) of which only the changed areas are put on the window. The hearth
// stands on the primary monitor with the wall around it; FrameDue comes from one of the loop's
// timers, set anew after every frame as the Win32 back end sets its window timer.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "display/ddraw_control.h"
#include "platform/linux/text_freetype.h"
#include "scene/timer.h"

namespace hg {

// The Windows virtual-key value of an X key, as the scene's key handler reads it; 0 for a key
// that has none (it still ends the scene, as every key but N, P, Q and S does).
int16_t VirtualKeyOf(KeySym sym);
// Shift 1, Ctrl 2, Alt 4, from an X event's modifier state.
int16_t ShiftOf(unsigned state);

class X11DDraw : public DDrawControl {
  public:
    // `takesInput`: the window is ours and its pointer and keys reach the scene; on the root
    // window or a window of xscreensaver's, input is the host's business.
    X11DDraw(Display* display, Window target, bool takesInput, TimerDriver& timers,
             std::string assetDir);
    ~X11DDraw() override;

    void LoadSurfaceFrame(int32_t surface, int32_t frame, const std::string& path,
                          int32_t key) override;

    // An event of the target window; true when the display took it.
    bool OnEvent(const XEvent& event);
    void HoldFrames(bool held) override;

  protected:
    bool OpenPresentation() override;
    void ClosePresentation() override;
    uint32_t* DetailBuffer(int detail) override;
    void Show(const std::vector<Area>& areas) override;
    Area TextBounds(const TextFont& font, const std::string& text, int32_t x, int32_t y) override;
    void PaintText(const TextFont& font, const std::string& text, int32_t x, int32_t y,
                   Colour colour, const Area& clip) override;
    // A frame is on the screen once Show returns (it waits for the server), so what is made
    // ahead is made right after the frame's tick, not inside the frame.
    void PrepareWhenIdle() override { prepareDue_ = true; }

  private:
    struct Image;
    void FitWindowPicture();
    bool MakeImage(int width, int height);
    void FreeImage();
    void PutAreas(const std::vector<Area>& areas);
    void FrameTick();

    Display* display_;
    Window target_;
    bool takesInput_;
    std::string assetDir_;
    std::vector<uint32_t> logical_;
    std::unique_ptr<Image> image_;
    Area primary_;
    int refreshHz_ = 0;
    GC gc_ = nullptr;
    Timer frameTimer_;
    TextPainter text_;
    std::set<unsigned> keysDown_;  // held keys: X repeats a held key as further presses
    bool pointerKnown_ = false;
    bool framesHeld_ = false;
    bool prepareDue_ = false;
};

}  // namespace hg
