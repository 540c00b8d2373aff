#pragma once
// Lets a control that presents into a window see that window's messages first.
#include <windows.h>

namespace hg {

class WindowMessageHook {
  public:
    virtual ~WindowMessageHook() = default;
    // True when the message was handled; `result` is then returned to Windows.
    virtual bool OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 LRESULT& result) = 0;
};

}  // namespace hg
