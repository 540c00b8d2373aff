#include "config/form.h"

#include <algorithm>

namespace hg {

Form::Form(const FormLayout& layout, FormControls& controls, DialogHost& host)
    : controls_(controls), host_(host), layout_(layout), missing_("", Kind::Label, "", "", {}) {}

void Form::Raise(const ControlRow& row, Event event) {
    Handler h = event == Event::Click    ? row.click
                : event == Event::Change ? row.change
                                         : row.scroll;
    if (h) h(*this, row.index);
}

void Form::Navigate(Form& form, const std::string& address) { host_.OpenAddress(form, address); }

const ControlRow& Form::Row(std::string_view name, int16_t index) const {
    const ControlRow* row = layout_.Find(name, index);
    return row ? *row : missing_;
}

CheckBox& Form::CheckBoxNamed(std::string_view name, int16_t index) {
    return controls_.CheckBoxOf(Row(name, index));
}
TextBox& Form::TextBoxNamed(std::string_view name, int16_t index) {
    return controls_.TextBoxOf(Row(name, index));
}
ScrollBar& Form::ScrollBarNamed(std::string_view name, int16_t index) {
    return controls_.ScrollBarOf(Row(name, index));
}
DropDownList& Form::ListNamed(std::string_view name, int16_t index) {
    return controls_.DropDownListOf(Row(name, index));
}
ButtonCaption& Form::ButtonNamed(std::string_view name, int16_t index) {
    return controls_.ButtonOf(Row(name, index));
}

bool Form::SetCheckBox(std::string_view name, int16_t index, int16_t value) {
    // Two states only: the store's "0" and "1". Anything else is a value the box cannot show.
    if (value != 0 && value != 1) return false;
    const ControlRow& row = Row(name, index);
    CheckBox& box = controls_.CheckBoxOf(row);
    if (box.Value() == value) return true;
    box.SetValue(value);
    Raise(row, Event::Click);
    return true;
}

void Form::SetTextBox(std::string_view name, int16_t index, const std::string& text) {
    const ControlRow& row = Row(name, index);
    TextBox& box = controls_.TextBoxOf(row);
    if (box.Text() == text) return;
    box.SetText(text);
    Raise(row, Event::Change);
}

bool Form::SetScrollBar(std::string_view name, int16_t index, int32_t value) {
    const ControlRow& row = Row(name, index);
    if (value < std::min(row.first, row.last) || value > std::max(row.first, row.last))
        return false;
    ScrollBar& bar = controls_.ScrollBarOf(row);
    if (bar.Value() == value) return true;
    bar.SetValue(value);
    Raise(row, Event::Change);
    return true;
}

bool Form::SetList(std::string_view name, int16_t index, const std::string& item) {
    const ControlRow& row = Row(name, index);
    if (std::find(row.items.begin(), row.items.end(), item) == row.items.end()) return false;
    DropDownList& list = controls_.DropDownListOf(row);
    if (list.Text() == item) return true;
    list.SetText(item);
    Raise(row, Event::Click);
    return true;
}

bool Form::ChooseOption(std::string_view name, int16_t index) {
    const ControlRow& chosen = Row(name, index);
    if (chosen.kind != Kind::OptionButton) return false;
    for (const ControlRow& row : layout_.rows)
        if (row.name == name && row.index != index) controls_.OptionButtonOf(row).SetValue(false);
    OptionButton& option = controls_.OptionButtonOf(chosen);
    if (option.Value()) return true;
    option.SetValue(true);
    Raise(chosen, Event::Click);
    return true;
}

}  // namespace hg
