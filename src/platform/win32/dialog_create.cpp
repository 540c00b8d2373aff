// Making the window and its widgets from the form's layout rows, in tab order, with their tool
// tips.

// The common controls' headers need the base Windows types first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>
// clang-format on

#include "platform/win32/app.h"
#include "platform/win32/dialog_widgets.h"

namespace hg {

using namespace dialog_parts;

namespace {

constexpr const wchar_t* kPaneClass = L"HearthglowPane";
constexpr const wchar_t* kPictureClass = L"HearthglowPicture";
constexpr int kFirstControlId = 100;

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

}  // namespace

bool DialogWindow::Create(const wchar_t* className, HWND owner) {
    INITCOMMONCONTROLSEX icc = {
        sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterClassOnce(className, FormProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                      LoadIconW(instance, MAKEINTRESOURCEW(1)));
    RegisterClassOnce(kPaneClass, PaneProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    RegisterClassOnce(kPictureClass, PictureProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                      nullptr);

    // A dialog modal to its owner is not put away on its own, or the owner would stay disabled
    // with nothing in front of it.
    const DWORD style =
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | (owner ? 0 : WS_MINIMIZEBOX);
    window_ =
        CreateWindowExW(WS_EX_CONTROLPARENT, className, Widen(layout_.caption).c_str(), style,
                        CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner, nullptr, instance, this);
    if (!window_) return false;
    owner_ = owner;
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
            // A real group box, so that assistive technology names the controls inside it and
            // Tab reaches them after it; it begins a group, so the arrow keys of an array of
            // options stop at the next frame. It draws itself as the page draws frames.
            cls = WC_BUTTONW;
            style |= BS_GROUPBOX | WS_GROUP;
            w = std::make_unique<PlainWidget>(*this, row);
            break;
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
    if (row.kind == Kind::Frame) SetWindowSubclass(w->hwnd, FrameProc, 0, 0);

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
    // Windows walks the z-order for Tab, so it follows the rows: a frame's group box comes just
    // before the controls inside it. Labels and pictures go beneath the controls, so that a list
    // set in a label's gap stays whole; the tabbed control goes beneath its pages.
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
        if (HasOwnTip(i)) {
            ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            ti.hwnd = GetParent(widgets_[i]->hwnd);
            ti.uId = reinterpret_cast<UINT_PTR>(widgets_[i]->hwnd);
        } else {
            // A frame: the tip shows over the part of its page that it covers.
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

}  // namespace hg
