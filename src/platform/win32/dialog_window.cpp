// The dialog window's messages: where each reaches the form (a command, a scroll, a page
// change), the window's own life, and what the form asks of its host.
#include "platform/win32/dialog_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include "platform/win32/app.h"
#include "platform/win32/dialog_widgets.h"
#include "platform/win32/guarded.h"

namespace hg {

using namespace dialog_parts;

DialogWindow::DialogWindow(App& app, const FormLayout& layout) : app_(app), layout_(layout) {}

DialogWindow::~DialogWindow() {
    for (auto& [role, font] : fonts_) DeleteObject(font);
    for (auto& [colour, brush] : brushes_) DeleteObject(brush);
}

void DialogWindow::StartProcess(const std::string& commandLine, int showState) {
    std::wstring cl = Widen(commandLine);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showState);
    PROCESS_INFORMATION pi = {};
    if (CreateProcessW(nullptr, cl.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

void DialogWindow::OpenAddress(Form& owner, const std::string& address) {
    HWND ownerWindow = &owner == form_ ? window_ : nullptr;
    ShellExecuteW(ownerWindow, L"open", Widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void DialogWindow::ShowMessage(const std::string& text, const std::string& title) {
    MessageBoxW(window_, Widen(text).c_str(), Widen(title).c_str(), MB_OK);
}

void DialogWindow::ShowHelp() { app_.ShowHelp(); }

void DialogWindow::Unload(Form&) {
    // After the handler that asked has returned: the form must not vanish beneath it.
    if (window_) PostMessageW(window_, kUnloadMessage, 0, 0);
}

void DialogWindow::Close() {
    EnableOwner();
    DestroyWindow(window_);
}

void DialogWindow::EnableOwner() {
    if (!ownerDisabled_) return;
    ownerDisabled_ = false;
    if (IsWindow(owner_)) EnableWindow(owner_, TRUE);
}

void DialogWindow::Raise(Widget& widget, Event event) {
    if (quiet_ == 0 && form_) form_->Raise(widget.row, event);
}

void DialogWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == IDCANCEL) {
        // Esc: the same as the close box.
        Close();
        return;
    }
    Widget* w = WidgetOf(reinterpret_cast<HWND>(lParam));
    if (!w && id == IDOK) {
        for (const auto& candidate : widgets_)
            if (candidate && candidate->row.isDefault) w = candidate.get();
    }
    if (!w) return;
    switch (w->row.kind) {
        case Kind::CheckBox:
        case Kind::OptionButton:
        case Kind::Button:
            if (code == BN_CLICKED) Raise(*w, Event::Click);
            break;
        case Kind::TextBox:
            if (code == EN_CHANGE) Raise(*w, Event::Change);
            break;
        case Kind::DropDownList:
            if (code == CBN_SELCHANGE) Raise(*w, Event::Click);
            break;
        default:
            break;
    }
}

void DialogWindow::OnScroll(WPARAM wParam, LPARAM lParam) {
    auto* s = dynamic_cast<ScrollWidget*>(WidgetOf(reinterpret_cast<HWND>(lParam)));
    if (!s) return;
    int32_t position = s->PositionOf(s->value);
    const int code = LOWORD(wParam);
    switch (code) {
        case SB_LINELEFT:
            position -= s->row.smallChange;
            break;
        case SB_LINERIGHT:
            position += s->row.smallChange;
            break;
        case SB_PAGELEFT:
            position -= s->row.largeChange;
            break;
        case SB_PAGERIGHT:
            position += s->row.largeChange;
            break;
        case SB_LEFT:
            position = 0;
            break;
        case SB_RIGHT:
            position = s->Span();
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            position = HIWORD(wParam);
            break;
        default:
            return;  // SB_ENDSCROLL
    }
    const int32_t value = s->ValueAt(position);
    const bool changed = value != s->value;
    s->SetValue(value);
    // Dragging raises Scroll at every step; letting go, or any other way of moving, raises
    // Change when the value moved.
    if (code == SB_THUMBTRACK) {
        if (changed) Raise(*s, Event::Scroll);
    } else if (changed || code == SB_THUMBPOSITION) {
        Raise(*s, Event::Change);
    }
}

LRESULT CALLBACK DialogWindow::FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<DialogWindow*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        delete self;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return Guarded([&] { return self->OnMessage(message, wParam, lParam); });
}

LRESULT DialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            return 0;
        case WM_HSCROLL:
        case WM_VSCROLL:
            OnScroll(wParam, lParam);
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE)
                ShowPage(static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)));
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return OnColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM:
            DrawGapLabel(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case DM_GETDEFID:
            for (const auto& w : widgets_)
                if (w && w->row.isDefault) return MAKELRESULT(IDOK, DC_HASDEFID);
            return 0;
        case WM_ACTIVATE:
            // Focus leaves with the window and comes back to the same control.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(window_, focus)) lastFocus_ = focus;
            } else if (lastFocus_ && IsWindow(lastFocus_)) {
                SetFocus(lastFocus_);
                return 0;
            }
            break;
        case WM_DPICHANGED:
            Layout(LOWORD(wParam), reinterpret_cast<RECT*>(lParam));
            return 0;
        case kUnloadMessage:
        case WM_CLOSE:
            Close();
            return 0;
        case WM_DESTROY:
            EnableOwner();  // destroyed by other means than Close
            OnDestroy();
            for (const auto& w : widgets_)
                if (w && w->hwnd)
                    GlobalDeleteAtom(static_cast<ATOM>(
                        reinterpret_cast<intptr_t>(RemovePropW(w->hwnd, kNameProperty))));
            app_.WindowClosed(window_);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK DialogWindow::PaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND root = GetAncestor(pane, GA_ROOT);
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(root, GWLP_USERDATA));
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_DRAWITEM:
            // The controls of a page report to the page; the form handles them.
            return SendMessageW(root, message, wParam, lParam);
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(pane, &ps);
            if (self) Guarded([&] { return self->PaintPane(pane, dc), LRESULT{0}; });
            EndPaint(pane, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            // Themed controls ask for what lies behind them.
            if (self) self->PaintPane(pane, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        default:
            return DefWindowProcW(pane, message, wParam, lParam);
    }
}

LRESULT CALLBACK DialogWindow::FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR) {
    // A group box keeps its class, text and style for whoever reads the window list (a screen
    // reader among them); only its drawing is the dialog's, to look as the page's frames do.
    auto owner = [&] {
        return reinterpret_cast<DialogWindow*>(
            GetWindowLongPtrW(GetAncestor(frame, GA_ROOT), GWLP_USERDATA));
    };
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(frame, &ps);
            if (DialogWindow* self = owner())
                Guarded([&] { return self->PaintFrame(frame, dc), LRESULT{0}; });
            EndPaint(frame, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            if (DialogWindow* self = owner())
                self->PaintFrame(frame, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NCDESTROY:
            RemoveWindowSubclass(frame, FrameProc, id);
            break;
        default:
            break;
    }
    return DefSubclassProc(frame, message, wParam, lParam);
}

LRESULT CALLBACK DialogWindow::PictureProc(HWND picture, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_PAINT) {
        HWND root = GetAncestor(picture, GA_ROOT);
        auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(root, GWLP_USERDATA));
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(picture, &ps);
        if (self) Guarded([&] { return self->PaintPicture(picture, dc), LRESULT{0}; });
        EndPaint(picture, &ps);
        return 0;
    }
    return DefWindowProcW(picture, message, wParam, lParam);
}

}  // namespace hg
