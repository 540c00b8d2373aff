#pragma once
// What the dialog window's files share: the widget behind each row and the few helpers and
// names more than one of them needs. Only the dialog window's own files include this.
#include <algorithm>
#include <string>

#include "platform/win32/dialog_window.h"
#include "platform/win32/wide_text.h"

namespace hg {

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

namespace dialog_parts {

using Widget = DialogWindow::Widget;

inline constexpr UINT kUnloadMessage = WM_APP + 1;
// Each control carries its name, so tools that drive the dialog (our tests among them) find it
// without knowing how the table is ordered.
inline constexpr const wchar_t* kNameProperty = L"HearthglowControl";

// The DPI of the window's monitor where Windows can say (10 from 1607), else the system's.
UINT DpiOf(HWND window);
std::wstring WindowText(HWND w);
// A caption with a gap of blanks: what stands before the gap and what after it.
void SplitAtGap(const std::wstring& caption, std::wstring& before, std::wstring& after);

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

}  // namespace dialog_parts

}  // namespace hg
