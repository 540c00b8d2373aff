// The dialog's keys: Ctrl+Tab and Ctrl+Page Up/Down between pages, Tab out of a read-only text
// box, Enter on the focused button; the rest is Windows' own dialog navigation.

// The common controls' headers need the base Windows types first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "platform/win32/dialog_widgets.h"

namespace hg {

using namespace dialog_parts;

bool DialogWindow::TranslateKeyboard(MSG& msg) {
    if (!window_ || (msg.hwnd != window_ && !IsChild(window_, msg.hwnd))) return false;
    if (msg.message == WM_KEYDOWN) {
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        int step = 0;
        if (ctrl && msg.wParam == VK_TAB) step = shift ? -1 : 1;
        if (ctrl && msg.wParam == VK_NEXT) step = 1;
        if (ctrl && msg.wParam == VK_PRIOR) step = -1;
        if (step && tabs_ && !pages_.empty()) {
            const int n = static_cast<int>(pages_.size());
            int page = static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
            page = ((page + step) % n + n) % n;
            SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
            ShowPage(page);
            return true;
        }
        // A multi-line text box asks for every key, Tab among them; a read-only one has no use
        // for it, so Tab leaves it as it leaves any other control.
        if (msg.wParam == VK_TAB && !ctrl) {
            Widget* w = WidgetOf(GetFocus());
            if (w && w->row.kind == Kind::MultiLineText) {
                if (HWND next = GetNextDlgTabItem(window_, w->hwnd, shift)) SetFocus(next);
                return true;
            }
        }
        // Enter presses the button that has the focus, as in any dialog; elsewhere it is OK.
        if (msg.wParam == VK_RETURN) {
            Widget* w = WidgetOf(GetFocus());
            if (w && w->row.kind == Kind::Button && !w->row.isDefault) {
                SendMessageW(w->hwnd, BM_CLICK, 0, 0);
                return true;
            }
        }
    }
    return IsDialogMessageW(window_, &msg) != FALSE;
}

bool TranslateDialogKeyboard(HWND dialog, MSG& msg) {
    if (!dialog) return false;
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    return self && self->TranslateKeyboard(msg);
}

}  // namespace hg
