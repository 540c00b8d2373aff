#pragma once
// The drawing control's Win32 back end: the logical picture is a 32-bit DIB section, at the
// detail the scene is composed at, that GDI paints text onto; the window's own picture is a
// 32-bit DIB section of the hearth's size, and only its changed areas are copied to the screen
// (the wall around it is painted when shown). The window covers every monitor while the
// display is open. FrameDue comes from a window timer set anew after every frame.
#include <windows.h>

#include <bitset>
#include <map>
#include <tuple>

#include "display/ddraw_control.h"
#include "platform/win32/message_hook.h"

namespace hg {

class Win32DDraw : public DDrawControl, public WindowMessageHook {
  public:
    // The scene window numbers its own timers from 1 upwards; ours keeps well clear of them.
    static constexpr UINT_PTR kFrameTimerId = 0x4847;
    static constexpr UINT_PTR kPrepareTimerId = 0x4848;

    explicit Win32DDraw(HWND window);
    ~Win32DDraw() override;

    bool OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT& result) override;
    void HoldFrames(bool held) override;

  protected:
    bool OpenPresentation() override;
    void ClosePresentation() override;
    uint32_t* DetailBuffer(int detail) override;
    void Show(const std::vector<Area>& areas) override;
    void ShowPixels(const Area& at, const uint32_t* pixels) override;
    bool ShowsKeptPixels() const override { return true; }
    void PrepareWhenIdle() override;
    Area TextBounds(const TextFont& font, const std::string& text, int32_t x, int32_t y) override;
    void PaintText(const TextFont& font, const std::string& text, int32_t x, int32_t y,
                   Colour colour, const Area& clip) override;

  private:
    struct Bitmap {
        HBITMAP bitmap = nullptr;
        HDC dc = nullptr;
        HGDIOBJ previous = nullptr;
        void* bits = nullptr;
        bool Make(int width, int height, int bitsPerPixel);
        void Free();
    };

    void CoverEveryMonitor();
    void FitWindowPicture();
    HFONT FontFor(const TextFont& font);
    void SelectFont(const TextFont& font);
    void FreeLogical();

    HWND window_;
    Bitmap logical_;
    // The window's picture holds the hearth alone: a 4K window's wall, the same every frame,
    // would take 8 MB more, and a second monitor's a whole screen's.
    Bitmap screen_;
    Area picture_;  // where it lies in the window
    int clientWidth_ = 0, clientHeight_ = 0;
    Area primary_;
    int refreshHz_ = 0;
    HGDIOBJ previousFont_ = nullptr;
    bool timerSet_ = false;
    bool framesHeld_ = false;
    // Keys pressed and not yet released, by virtual-key code: a held key's repeats are still
    // the one press. Kept here rather than read from a message's previous-state bit, which
    // describes the thread's key state as Wine last saw it, and that can be stale in a fresh
    // process.
    std::bitset<256> keysDown_;
    // The calendar switches between four fonts every frame; each is made once.
    std::map<std::tuple<std::string, int32_t, bool, bool, bool>, HFONT> fonts_;
};

}  // namespace hg
