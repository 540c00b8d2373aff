// Twips to pixels at the monitor's DPI: the fonts, the window's size and place, every widget's
// rectangle, and which page shows.

// The common controls' headers need the base Windows types first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "platform/win32/dialog_widgets.h"

namespace hg {

using namespace dialog_parts;

namespace {

FARPROC User32Function(const char* name) {
    return GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
}

void AdjustForDpi(RECT& r, DWORD style, DWORD exStyle, UINT dpi) {
    using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    auto fn = reinterpret_cast<AdjustFn>(
        reinterpret_cast<void*>(User32Function("AdjustWindowRectExForDpi")));
    if (!fn || !fn(&r, style, FALSE, exStyle, dpi)) AdjustWindowRectEx(&r, style, FALSE, exStyle);
}

}  // namespace

UINT dialog_parts::DpiOf(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    auto fn = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(User32Function("GetDpiForWindow")));
    if (fn && window) {
        if (UINT dpi = fn(window)) return dpi;
    }
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

int DialogWindow::Px(int32_t twips) const { return MulDiv(twips, static_cast<int>(dpi_), 1440); }

RECT DialogWindow::PixelRect(const ControlRow& row) const {
    Twips t = layout_.Placement(row);
    RECT r = {Px(t.left), Px(t.top), Px(t.Right()), Px(t.Bottom())};
    const ControlRow* parent = layout_.WindowParent(row);
    if (parent && parent->kind == Kind::Page) OffsetRect(&r, -pageOffset_.x, -pageOffset_.y);
    return r;
}

HFONT DialogWindow::FontFor(FontRole role) const {
    auto it = fonts_.find(role);
    return it == fonts_.end() ? nullptr : it->second;
}

void DialogWindow::Layout(UINT dpi, const RECT* suggested) {
    dpi_ = dpi;
    for (auto& [role, font] : fonts_) DeleteObject(font);
    fonts_.clear();
    const int dialogHeight = -MulDiv(8, static_cast<int>(dpi), 72);
    const int arialHeight = -MulDiv(825, static_cast<int>(dpi), 7200);
    // "MS Shell Dlg" is the system's dialog face: Microsoft Sans Serif on Windows, the TrueType
    // heir of the MS Sans Serif the layout was drawn with, so it scales cleanly with the DPI.
    auto make = [](int height, int weight, const wchar_t* face) {
        return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, face);
    };
    fonts_[FontRole::Dialog] = make(dialogHeight, FW_NORMAL, L"MS Shell Dlg");
    fonts_[FontRole::DialogBold] = make(dialogHeight, FW_BOLD, L"MS Shell Dlg");
    fonts_[FontRole::ArialBold] = make(arialHeight, FW_BOLD, L"Arial");

    // The window: its client area at this DPI, centred on its monitor unless Windows suggests
    // a place.
    const DWORD style = static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(window_, GWL_EXSTYLE));
    RECT frame = {0, 0, Px(layout_.clientWidth), Px(layout_.clientHeight)};
    AdjustForDpi(frame, style, exStyle, dpi);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    int x, y;
    if (suggested) {
        x = suggested->left;
        y = suggested->top;
    } else {
        MONITORINFO mi = {};
        mi.cbSize = sizeof mi;
        GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &mi);
        x = mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - width) / 2;
        y = mi.rcWork.top + (mi.rcWork.bottom - mi.rcWork.top - height) / 2;
    }
    SetWindowPos(window_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    for (const auto& w : widgets_)
        if (w && w->hwnd)
            SendMessageW(w->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(w->row.font)),
                         FALSE);

    // The tabbed control first: its tabs' height, which the font decides, places the pages.
    pageOffset_ = {0, 0};
    if (tabs_) {
        const Widget* t = WidgetOf(tabs_);
        RECT r = PixelRect(t->row);
        MoveWindow(tabs_, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
        RECT display = {0, 0, r.right - r.left, r.bottom - r.top};
        SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
        pageOffset_ = {display.left, display.top};
        for (HWND page : pages_)
            MoveWindow(page, r.left + display.left, r.top + display.top,
                       display.right - display.left, display.bottom - display.top, FALSE);
    }
    for (const auto& w : widgets_) {
        if (!w || !w->hwnd || w->row.kind == Kind::TabStrip || w->row.kind == Kind::Page) continue;
        RECT r = PixelRect(w->row);
        int h = r.bottom - r.top;
        // A drop-down list's height includes its open list; the closed box sizes itself to
        // its font.
        if (w->row.kind == Kind::DropDownList) h += Px(240) * 10;
        MoveWindow(w->hwnd, r.left, r.top, r.right - r.left, h, FALSE);
        if (w->row.kind == Kind::Frame) ShapeFrame(*w);
    }
    FitGapLabels();
    if (tips_) {
        SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, Px(5400));
        for (size_t i = 0; i < layout_.rows.size(); ++i) {
            const ControlRow& row = layout_.rows[i];
            if (row.tip.empty() || HasOwnTip(i)) continue;
            const ControlRow* parent = layout_.WindowParent(row);
            Widget* p = parent ? WidgetOf(*parent) : nullptr;
            TOOLINFOW ti = {};
            ti.cbSize = sizeof ti;
            ti.hwnd = p && p->hwnd ? p->hwnd : window_;
            ti.uId = i;
            ti.rect = PixelRect(row);
            SendMessageW(tips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
        }
    }
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool DialogWindow::HasOwnTip(size_t i) const {
    // A group box lets the mouse through to its page, which would leave a tip of its own unseen:
    // a frame's tip belongs to the page, over the frame's area.
    const Widget* w = widgets_[i].get();
    return w && w->hwnd && w->row.kind != Kind::Frame;
}

void DialogWindow::ShapeFrame(Widget& frame) {
    // The group box covers only its lines and its caption, so the page still paints what lies
    // within the frame and the controls there are not clipped by the box above them.
    RECT client;
    GetClientRect(frame.hwnd, &client);
    HDC dc = GetDC(frame.hwnd);
    const FrameParts parts = FramePartsOf(dc, frame.row, client);
    ReleaseDC(frame.hwnd, dc);
    const RECT& e = parts.edge;
    HRGN shape = CreateRectRgnIndirect(&e);
    HRGN inside = CreateRectRgn(e.left + 2, e.top + 2, e.right - 2, e.bottom - 2);
    HRGN caption = CreateRectRgnIndirect(&parts.caption);
    CombineRgn(shape, shape, inside, RGN_DIFF);
    CombineRgn(shape, shape, caption, RGN_OR);
    DeleteObject(inside);
    DeleteObject(caption);
    SetWindowRgn(frame.hwnd, shape, FALSE);  // the window owns it from here
}

void DialogWindow::FitGapLabels() {
    // The blanks of such a caption are as wide as the font makes them, which is seldom the
    // list's width: the label instead spans from its first words, ending just before the list,
    // to its last words, starting just after it.
    for (const auto& w : widgets_) {
        if (!w || !w->hwnd || w->row.around.empty()) continue;
        const ControlRow* list = layout_.Find(w->row.around);
        if (!list || layout_.WindowParent(*list) != layout_.WindowParent(w->row)) continue;
        std::wstring before, after;
        SplitAtGap(Widen(w->row.caption), before, after);
        HDC dc = GetDC(w->hwnd);
        HGDIOBJ old = SelectObject(dc, FontFor(w->row.font));
        SIZE a = {}, b = {};
        GetTextExtentPoint32W(dc, before.c_str(), static_cast<int>(before.size()), &a);
        GetTextExtentPoint32W(dc, after.c_str(), static_cast<int>(after.size()), &b);
        SelectObject(dc, old);
        ReleaseDC(w->hwnd, dc);
        const RECT own = PixelRect(w->row);
        const RECT gap = PixelRect(*list);
        const int space = Px(60);
        MoveWindow(w->hwnd, gap.left - space - a.cx, own.top,
                   (gap.right + space + b.cx) - (gap.left - space - a.cx), own.bottom - own.top,
                   FALSE);
    }
}

void DialogWindow::Show() {
    // The owner waits from the moment the dialog appears, as for any modal dialog.
    if (owner_ && !ownerDisabled_) {
        EnableWindow(owner_, FALSE);
        ownerDisabled_ = true;
    }
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) SetFocus(first);
}

void DialogWindow::ShowPage(int page) {
    if (page < 0 || page >= static_cast<int>(pages_.size())) return;
    HWND focus = GetFocus();
    for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
        if (i == page) continue;
        // Focus never stays on a control that is going out of sight.
        if (focus && (focus == pages_[static_cast<size_t>(i)] ||
                      IsChild(pages_[static_cast<size_t>(i)], focus)))
            SetFocus(tabs_);
        ShowWindow(pages_[static_cast<size_t>(i)], SW_HIDE);
    }
    ShowWindow(pages_[static_cast<size_t>(page)], SW_SHOW);
    if (tabs_ && SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) != page)
        SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
}

}  // namespace hg
