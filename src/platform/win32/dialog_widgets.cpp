// The form's view of the widgets: each row answers as the kind of control the form asks for,
// whether or not it has a window of that kind.
#include "platform/win32/dialog_widgets.h"

namespace hg {

using namespace dialog_parts;

namespace {

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

std::wstring dialog_parts::WindowText(HWND w) {
    int n = GetWindowTextLengthW(w);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(w, text.data(), n + 1);
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
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

}  // namespace hg
