#pragma once
// The drawing control on Win32: the back buffer is a 16-bit DIB section, shown scaled on the
// scene window, paced by a window timer; text is GDI's, drawn onto the same DIB section.
#include <windows.h>

#include <map>
#include <tuple>

#include "controls/ddraw_control.h"
#include "win32/message_hook.h"

namespace hg {

class Win32DDraw : public DDrawControl, public WindowMessageHook {
public:
    // About 30 frames a second: the flames' fastest pace is 25 ms a frame, and a screen saver
    // that runs for hours must not keep a core busy.
    static constexpr UINT kFrameMs = 33;
    // The scene window numbers its own timers from 1 upwards; ours keeps well clear of them.
    static constexpr UINT_PTR kFrameTimerId = 0x4847;

    explicit Win32DDraw(HWND window);
    ~Win32DDraw() override;

    bool OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT& result) override;

protected:
    uint16_t* OpenPresentation() override;
    void ClosePresentation() override;
    void Present() override;
    void PaintText(const TextFont& font, const std::string& text, int32_t x, int32_t y,
                   Colour colour) override;

private:
    Letterbox View() const;
    void PresentTo(HDC dc);
    HFONT FontFor(const TextFont& font);

    HWND window_;
    HBITMAP dib_ = nullptr;
    HDC memory_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    HGDIOBJ previousFont_ = nullptr;
    bool timerSet_ = false;
    bool presented_ = false;
    // The calendar switches between four fonts every frame; each is made once.
    std::map<std::tuple<std::string, int32_t, bool, bool, bool>, HFONT> fonts_;
};

}  // namespace hg
