#include "platform/win32/dialog_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <algorithm>

#include "platform/win32/app.h"
#include "platform/win32/guarded.h"
#include "platform/win32/wide_text.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace hg {

namespace {

constexpr const wchar_t* kPaneClass = L"HearthglowPane";
constexpr const wchar_t* kPictureClass = L"HearthglowPicture";
constexpr UINT kUnloadMessage = WM_APP + 1;
constexpr int kFirstControlId = 100;
// Each control carries its name, so tools that drive the dialog (our tests among them) find it
// without knowing how the table is ordered.
constexpr const wchar_t* kNameProperty = L"HearthglowControl";

FARPROC User32Function(const char* name) {
    return GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
}

// The DPI of the window's monitor where Windows can say (10 from 1607), else the system's.
UINT DpiOf(HWND window) {
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

void AdjustForDpi(RECT& r, DWORD style, DWORD exStyle, UINT dpi) {
    using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    auto fn = reinterpret_cast<AdjustFn>(
        reinterpret_cast<void*>(User32Function("AdjustWindowRectExForDpi")));
    if (!fn || !fn(&r, style, FALSE, exStyle, dpi)) AdjustWindowRectEx(&r, style, FALSE, exStyle);
}

COLORREF ToColorRef(Colour c) { return static_cast<COLORREF>(c & 0xFFFFFF); }

std::wstring WindowText(HWND w) {
    int n = GetWindowTextLengthW(w);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(w, text.data(), n + 1);
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
}

void RegisterClassOnce(const wchar_t* name, WNDPROC proc, HBRUSH background, HICON icon) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

// A caption with a gap of blanks: what stands before the gap and what after it.
void SplitAtGap(const std::wstring& caption, std::wstring& before, std::wstring& after) {
    size_t gap = caption.find(L"  ");
    if (gap == std::wstring::npos) {
        before = caption;
        after.clear();
        return;
    }
    before = caption.substr(0, gap);
    size_t rest = caption.find_first_not_of(L' ', gap);
    after = rest == std::wstring::npos ? L"" : caption.substr(rest);
}

}  // namespace

// One row's window. Every widget also keeps its state itself, so a row without a window (or
// asked for as another kind) still answers sensibly.
struct DialogWindow::Widget {
    Widget(DialogWindow& o, const ControlRow& r) : owner(o), row(r) {}
    virtual ~Widget() = default;
    // Sends a message that may make the control report a change: the program made it, not the
    // user, so no event follows from it.
    LRESULT Quiet(UINT message, WPARAM wParam, LPARAM lParam) {
        ++owner.quiet_;
        LRESULT r = hwnd ? SendMessageW(hwnd, message, wParam, lParam) : 0;
        --owner.quiet_;
        return r;
    }
    void QuietText(const std::string& text) {
        ++owner.quiet_;
        if (hwnd) SetWindowTextW(hwnd, Widen(text).c_str());
        --owner.quiet_;
    }

    DialogWindow& owner;
    const ControlRow& row;
    HWND hwnd = nullptr;
};

namespace {

using Widget = DialogWindow::Widget;

struct CheckWidget : Widget, CheckBox {
    using Widget::Widget;
    int16_t Value() override {
        if (hwnd) state = SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        return state;
    }
    void SetValue(int16_t v) override {
        state = v;
        Quiet(BM_SETCHECK, v == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    int16_t state = 0;
};

struct OptionWidget : Widget, OptionButton {
    using Widget::Widget;
    bool Value() override {
        if (hwnd) state = SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
        return state;
    }
    void SetValue(bool v) override {
        state = v;
        Quiet(BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    bool state = false;
};

struct TextWidget : Widget, TextBox {
    using Widget::Widget;
    std::string Text() override { return hwnd ? Narrow(WindowText(hwnd)) : text; }
    void SetText(const std::string& t) override {
        text = t;
        QuietText(t);
    }
    std::string text;
};

struct ButtonWidget : Widget, ButtonCaption {
    ButtonWidget(DialogWindow& o, const ControlRow& r) : Widget(o, r), caption(r.caption) {}
    std::string Caption() override { return hwnd ? Narrow(WindowText(hwnd)) : caption; }
    void SetCaption(const std::string& c) override {
        caption = c;
        QuietText(c);
    }
    std::string caption;
};

// The bar keeps the form's value; Windows' position counts from the left (top) end, so a bar
// whose values fall from left to right still has a rising position.
struct ScrollWidget : Widget, ScrollBar {
    ScrollWidget(DialogWindow& o, const ControlRow& r) : Widget(o, r), value(r.initial) {}
    int32_t Direction() const { return row.last >= row.first ? 1 : -1; }
    int32_t Span() const { return (row.last - row.first) * Direction(); }
    int32_t PositionOf(int32_t v) const { return (v - row.first) * Direction(); }
    int32_t ValueAt(int32_t position) const {
        return row.first + std::clamp(position, 0, Span()) * Direction();
    }
    int32_t Value() override { return value; }
    void SetValue(int32_t v) override {
        value = v;
        if (hwnd) SetScrollPos(hwnd, SB_CTL, PositionOf(v), TRUE);
    }
    int32_t value;
};

struct ListWidget : Widget, DropDownList {
    using Widget::Widget;
    std::string Text() override {
        if (!hwnd) return text;
        LRESULT i = SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
        if (i == CB_ERR) return "";
        LRESULT n = SendMessageW(hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (n == CB_ERR) return "";
        std::wstring item(static_cast<size_t>(n) + 1, L'\0');
        SendMessageW(hwnd, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<size_t>(n));
        return Narrow(item);
    }
    void SetText(const std::string& t) override {
        text = t;
        const std::wstring w = Widen(t);
        LRESULT i =
            Quiet(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(w.c_str()));
        Quiet(CB_SETCURSEL, static_cast<WPARAM>(i == CB_ERR ? -1 : i), 0);
    }
    std::string text;
};

// Labels, pictures, pages and the like: nothing the form reads or sets.
struct PlainWidget : Widget {
    using Widget::Widget;
};

template <class T>
T& Detached(std::vector<std::unique_ptr<Widget>>& store, DialogWindow& owner,
            const ControlRow& row) {
    for (auto& w : store)
        if (&w->row == &row)
            if (auto* t = dynamic_cast<T*>(w.get())) return *t;
    store.push_back(std::make_unique<T>(owner, row));
    return *static_cast<T*>(store.back().get());
}

}  // namespace

DialogWindow::DialogWindow(App& app, const FormLayout& layout) : app_(app), layout_(layout) {}

DialogWindow::~DialogWindow() {
    for (auto& [role, font] : fonts_) DeleteObject(font);
    for (auto& [colour, brush] : brushes_) DeleteObject(brush);
}

bool DialogWindow::Create(const wchar_t* className) {
    INITCOMMONCONTROLSEX icc = {
        sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterClassOnce(className, FormProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                      LoadIconW(instance, MAKEINTRESOURCEW(1)));
    RegisterClassOnce(kPaneClass, PaneProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    RegisterClassOnce(kPictureClass, PictureProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                      nullptr);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    window_ =
        CreateWindowExW(WS_EX_CONTROLPARENT, className, Widen(layout_.caption).c_str(), style,
                        CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance, this);
    if (!window_) return false;
    app_.WindowOpened();
    dpi_ = DpiOf(window_);

    widgets_.resize(layout_.rows.size());
    // Containers first: every other control is made inside its page or bar.
    for (size_t i = 0; i < layout_.rows.size(); ++i)
        if (IsWindowContainer(layout_.rows[i].kind) || layout_.rows[i].kind == Kind::TabStrip)
            CreateWidget(i);
    for (size_t i = 0; i < layout_.rows.size(); ++i)
        if (!widgets_[i] && !IsDrawn(layout_.rows[i].kind)) CreateWidget(i);
    ArrangeZOrder();

    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, window_, nullptr,
                            instance, nullptr);
    Layout(dpi_, nullptr);
    AddToolTips();
    if (!pages_.empty()) ShowPage(0);
    return true;
}

void DialogWindow::CreateWidget(size_t i) {
    const ControlRow& row = layout_.rows[i];
    const ControlRow* parentRow = layout_.WindowParent(row);
    HWND parent = window_;
    if (parentRow) {
        Widget* p = widgets_[static_cast<size_t>(parentRow - layout_.rows.data())].get();
        if (p && p->hwnd) parent = p->hwnd;
    }
    // Interactive controls begin a group of their own, except the options after the first of
    // their array, which share the first's group so that the arrow keys move between them.
    const bool firstOfGroup =
        !(row.kind == Kind::OptionButton && row.index > 0 && layout_.Find(row.name, 0));
    const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    const DWORD stop = WS_TABSTOP | (firstOfGroup ? WS_GROUP : 0);
    const wchar_t* cls = WC_STATICW;
    DWORD style = child;
    DWORD exStyle = 0;
    std::unique_ptr<Widget> w;
    switch (row.kind) {
        case Kind::TabStrip:
            cls = WC_TABCONTROLW;
            style |= stop;
            w = std::make_unique<PlainWidget>(*this, row);
            break;
        case Kind::Page:
        case Kind::Strip:
            cls = kPaneClass;
            style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                    (row.kind == Kind::Strip ? WS_VISIBLE : 0);
            exStyle = WS_EX_CONTROLPARENT;
            w = std::make_unique<PlainWidget>(*this, row);
            break;
        case Kind::Label:
            // A label with a list in its caption's gap draws itself on both sides of the list.
            style |=
                !row.around.empty()
                    ? SS_OWNERDRAW
                    : SS_NOPREFIX | (row.align == Align::Centre ? SS_CENTER : SS_LEFTNOWORDWRAP);
            w = std::make_unique<PlainWidget>(*this, row);
            break;
        case Kind::CheckBox:
            cls = WC_BUTTONW;
            style |= stop | BS_AUTOCHECKBOX;
            w = std::make_unique<CheckWidget>(*this, row);
            break;
        case Kind::OptionButton:
            cls = WC_BUTTONW;
            style |= stop | BS_AUTORADIOBUTTON;
            w = std::make_unique<OptionWidget>(*this, row);
            break;
        case Kind::TextBox:
            cls = WC_EDITW;
            style |= stop | ES_AUTOHSCROLL;
            exStyle = WS_EX_CLIENTEDGE;
            w = std::make_unique<TextWidget>(*this, row);
            break;
        case Kind::MultiLineText:
            cls = WC_EDITW;
            style |= stop | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL;
            exStyle = WS_EX_CLIENTEDGE;
            w = std::make_unique<TextWidget>(*this, row);
            break;
        case Kind::HScrollBar:
        case Kind::VScrollBar:
            cls = WC_SCROLLBARW;
            style |= stop | (row.kind == Kind::HScrollBar ? SBS_HORZ : SBS_VERT);
            w = std::make_unique<ScrollWidget>(*this, row);
            break;
        case Kind::DropDownList:
            cls = WC_COMBOBOXW;
            style |= stop | CBS_DROPDOWNLIST | WS_VSCROLL;
            w = std::make_unique<ListWidget>(*this, row);
            break;
        case Kind::Button:
            cls = WC_BUTTONW;
            style |= stop | (row.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            w = std::make_unique<ButtonWidget>(*this, row);
            break;
        case Kind::Picture:
            cls = kPictureClass;
            exStyle = WS_EX_CLIENTEDGE;
            w = std::make_unique<PlainWidget>(*this, row);
            break;
        case Kind::Frame:
        case Kind::Shape:
        case Kind::Line:
            return;
    }
    const int id = row.isDefault ? IDOK : kFirstControlId + static_cast<int>(i);
    const std::wstring caption = row.kind == Kind::Page ? L"" : Widen(row.caption);
    w->hwnd = CreateWindowExW(exStyle, cls, caption.c_str(), style, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<intptr_t>(id)),
                              GetModuleHandleW(nullptr), nullptr);
    if (!w->hwnd) return;
    SetPropW(w->hwnd, kNameProperty,
             reinterpret_cast<HANDLE>(
                 static_cast<intptr_t>(GlobalAddAtomW(Widen(row.QualifiedName()).c_str()))));
    // Themed check boxes draw their caption in the theme's colour; a coloured caption needs the
    // plain look.
    if ((row.kind == Kind::CheckBox || row.kind == Kind::OptionButton) && row.fore != kSystemColour)
        SetWindowTheme(w->hwnd, L"", L"");

    if (row.kind == Kind::TabStrip) {
        tabs_ = w->hwnd;
        int n = 0;
        for (const ControlRow& page : layout_.rows) {
            if (page.kind != Kind::Page || layout_.Container(page) != &row) continue;
            std::wstring text = Widen(page.caption);
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text.data();
            SendMessageW(tabs_, TCM_INSERTITEMW, static_cast<WPARAM>(n++),
                         reinterpret_cast<LPARAM>(&item));
        }
    } else if (row.kind == Kind::Page) {
        pages_.push_back(w->hwnd);
    } else if (row.kind == Kind::HScrollBar || row.kind == Kind::VScrollBar) {
        auto* s = static_cast<ScrollWidget*>(w.get());
        SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_POS | SIF_PAGE, 0, s->Span(),
                         0,         s->PositionOf(s->value),        0};
        SetScrollInfo(w->hwnd, SB_CTL, &si, TRUE);
    } else if (row.kind == Kind::DropDownList) {
        for (const std::string& item : row.items)
            SendMessageW(w->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
        SendMessageW(w->hwnd, CB_SETMINVISIBLE, 10, 0);
    }
    widgets_[i] = std::move(w);
}

void DialogWindow::ArrangeZOrder() {
    // Windows walks the z-order for Tab, so it follows the rows. Labels and pictures go beneath
    // the controls, so that a list set in a label's gap stays whole; the tabbed control goes
    // beneath its pages.
    auto toBottom = [](HWND w) {
        SetWindowPos(w, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    };
    for (const auto& w : widgets_)
        if (w && w->hwnd && w->row.kind != Kind::Label && w->row.kind != Kind::Picture &&
            w->row.kind != Kind::TabStrip)
            toBottom(w->hwnd);
    for (const auto& w : widgets_)
        if (w && w->hwnd && (w->row.kind == Kind::Label || w->row.kind == Kind::Picture))
            toBottom(w->hwnd);
    if (tabs_) toBottom(tabs_);
}

void DialogWindow::AddToolTips() {
    if (!tips_) return;
    SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, Px(5400));
    for (size_t i = 0; i < layout_.rows.size(); ++i) {
        const ControlRow& row = layout_.rows[i];
        if (row.tip.empty()) continue;
        std::wstring text = Widen(row.tip);
        TOOLINFOW ti = {};
        ti.cbSize = sizeof ti;
        ti.lpszText = text.data();
        if (widgets_[i] && widgets_[i]->hwnd) {
            ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            ti.hwnd = GetParent(widgets_[i]->hwnd);
            ti.uId = reinterpret_cast<UINT_PTR>(widgets_[i]->hwnd);
        } else {
            // A drawn frame: the tip shows over the part of its page that it covers.
            const ControlRow* parent = layout_.WindowParent(row);
            Widget* p = parent ? WidgetOf(*parent) : nullptr;
            ti.uFlags = TTF_SUBCLASS;
            ti.hwnd = p && p->hwnd ? p->hwnd : window_;
            ti.uId = i;
            ti.rect = PixelRect(row);
        }
        SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
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
    }
    FitGapLabels();
    if (tips_) {
        SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, Px(5400));
        for (size_t i = 0; i < layout_.rows.size(); ++i) {
            const ControlRow& row = layout_.rows[i];
            if (row.tip.empty() || widgets_[i]) continue;
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

void DialogWindow::DrawGapLabel(const DRAWITEMSTRUCT& item) {
    const Widget* w = WidgetOf(item.hwndItem);
    if (!w) return;
    std::wstring before, after;
    SplitAtGap(Widen(w->row.caption), before, after);
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(item.hDC, FontFor(w->row.font));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
    RECT r = item.rcItem;
    DrawTextW(item.hDC, before.c_str(), static_cast<int>(before.size()), &r,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    DrawTextW(item.hDC, after.c_str(), static_cast<int>(after.size()), &r,
              DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, old);
}

void DialogWindow::Show() {
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

DialogWindow::Widget* DialogWindow::WidgetOf(HWND control) const {
    if (!control) return nullptr;
    for (const auto& w : widgets_)
        if (w && w->hwnd == control) return w.get();
    return nullptr;
}

DialogWindow::Widget* DialogWindow::WidgetOf(const ControlRow& row) const {
    if (layout_.rows.empty() || &row < layout_.rows.data() ||
        &row >= layout_.rows.data() + layout_.rows.size())
        return nullptr;
    return widgets_[static_cast<size_t>(&row - layout_.rows.data())].get();
}

CheckBox& DialogWindow::CheckBoxOf(const ControlRow& row) {
    if (auto* c = dynamic_cast<CheckWidget*>(WidgetOf(row))) return *c;
    return Detached<CheckWidget>(detached_, *this, row);
}
OptionButton& DialogWindow::OptionButtonOf(const ControlRow& row) {
    if (auto* c = dynamic_cast<OptionWidget*>(WidgetOf(row))) return *c;
    return Detached<OptionWidget>(detached_, *this, row);
}
TextBox& DialogWindow::TextBoxOf(const ControlRow& row) {
    if (auto* c = dynamic_cast<TextWidget*>(WidgetOf(row))) return *c;
    return Detached<TextWidget>(detached_, *this, row);
}
ScrollBar& DialogWindow::ScrollBarOf(const ControlRow& row) {
    if (auto* c = dynamic_cast<ScrollWidget*>(WidgetOf(row))) return *c;
    return Detached<ScrollWidget>(detached_, *this, row);
}
DropDownList& DialogWindow::DropDownListOf(const ControlRow& row) {
    if (auto* c = dynamic_cast<ListWidget*>(WidgetOf(row))) return *c;
    return Detached<ListWidget>(detached_, *this, row);
}
ButtonCaption& DialogWindow::ButtonOf(const ControlRow& row) {
    if (auto* c = dynamic_cast<ButtonWidget*>(WidgetOf(row))) return *c;
    return Detached<ButtonWidget>(detached_, *this, row);
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

void DialogWindow::Raise(Widget& widget, Event event) {
    if (quiet_ == 0 && form_) form_->Raise(widget.row, event);
}

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

void DialogWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == IDCANCEL) {
        // Esc: the same as the close box.
        DestroyWindow(window_);
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

HBRUSH DialogWindow::Brush(Colour colour) {
    auto it = brushes_.find(colour);
    if (it != brushes_.end()) return it->second;
    HBRUSH b = CreateSolidBrush(ToColorRef(colour));
    brushes_[colour] = b;
    return b;
}

LRESULT DialogWindow::OnColour(HDC dc, HWND control) {
    Widget* w = WidgetOf(control);
    if (w && w->row.fore != kSystemColour) SetTextColor(dc, ToColorRef(w->row.fore));
    if (w && w->row.back != kSystemColour) {
        SetBkColor(dc, ToColorRef(w->row.back));
        return reinterpret_cast<LRESULT>(Brush(w->row.back));
    }
    if (w && (w->row.kind == Kind::TextBox || w->row.kind == Kind::MultiLineText)) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void DialogWindow::PaintPane(HWND pane, HDC dc) {
    // The DC may be a themed control's, lent to draw what lies behind it: leave it as it was.
    const int saved = SaveDC(dc);
    RECT client;
    GetClientRect(pane, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const Widget* paneWidget = WidgetOf(pane);
    if (paneWidget && paneWidget->row.kind == Kind::Strip) {
        RECT top = client;
        DrawEdge(dc, &top, EDGE_ETCHED, BF_TOP);
    }
    SetBkMode(dc, OPAQUE);
    for (const ControlRow& row : layout_.rows) {
        if (!IsDrawn(row.kind)) continue;
        const ControlRow* parent = layout_.WindowParent(row);
        if (!paneWidget || parent != &paneWidget->row) continue;
        RECT r = PixelRect(row);
        if (row.kind == Kind::Shape) {
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        } else if (row.kind == Kind::Line) {
            // An etched rule: shadow, then light beside it.
            RECT shadow = {r.left, r.top, std::max(r.right, r.left + 1),
                           std::max(r.bottom, r.top + 1)};
            FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
            OffsetRect(&shadow, r.right == r.left ? 1 : 0, r.bottom == r.top ? 1 : 0);
            FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        } else {
            HGDIOBJ old = SelectObject(dc, FontFor(row.font));
            TEXTMETRICW tm = {};
            GetTextMetricsW(dc, &tm);
            RECT edge = r;
            edge.top += tm.tmHeight / 2;
            DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
            const std::wstring text = Widen(row.caption);
            SetTextColor(
                dc, row.fore == kSystemColour ? GetSysColor(COLOR_BTNTEXT) : ToColorRef(row.fore));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            const int inset = Px(120);
            SIZE size = {};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            RECT label = {r.left + inset - 2, r.top, r.left + inset + size.cx + 2,
                          r.top + tm.tmHeight};
            ExtTextOutW(dc, r.left + inset, r.top, ETO_OPAQUE, &label, text.c_str(),
                        static_cast<UINT>(text.size()), nullptr);
            SelectObject(dc, old);
        }
    }
    RestoreDC(dc, saved);
}

void DialogWindow::PaintPicture(HWND picture, HDC dc) {
    RECT client;
    GetClientRect(picture, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const Widget* w = WidgetOf(picture);
    if (!w || w->row.picture.empty()) return;
    const std::string& name = w->row.picture;
    if (!pictures_.count(name)) {
        // Decoded once, from the JPEG built into the program.
        std::vector<uint8_t>& pixels = pictures_[name];
        SIZE& size = pictureSizes_[name];
        size = {0, 0};
        HMODULE module = GetModuleHandleW(nullptr);
        HRSRC res = FindResourceW(module, Widen(name).c_str(), MAKEINTRESOURCEW(10));  // RCDATA
        HGLOBAL data = res ? LoadResource(module, res) : nullptr;
        const void* bytes = data ? LockResource(data) : nullptr;
        int width = 0, height = 0, channels = 0;
        stbi_uc* rgba = bytes ? stbi_load_from_memory(static_cast<const stbi_uc*>(bytes),
                                                      static_cast<int>(SizeofResource(module, res)),
                                                      &width, &height, &channels, 4)
                              : nullptr;
        if (rgba) {
            pixels.resize(static_cast<size_t>(width) * height * 4);
            for (size_t i = 0; i < pixels.size(); i += 4) {
                pixels[i] = rgba[i + 2];
                pixels[i + 1] = rgba[i + 1];
                pixels[i + 2] = rgba[i];
                pixels[i + 3] = 0;
            }
            stbi_image_free(rgba);
            size = {width, height};
        }
    }
    const SIZE size = pictureSizes_[name];
    if (size.cx == 0) return;
    // The picture at its own size scaled by the DPI, in the middle of its box.
    const int width = std::min<int>(MulDiv(size.cx, static_cast<int>(dpi_), 96), client.right);
    const int height = std::min<int>(MulDiv(size.cy, static_cast<int>(dpi_), 96), client.bottom);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size.cx;
    bi.bmiHeader.biHeight = -size.cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, (client.right - width) / 2, (client.bottom - height) / 2, width, height, 0, 0,
                  size.cx, size.cy, pictures_[name].data(), &bi, DIB_RGB_COLORS, SRCCOPY);
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
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
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
