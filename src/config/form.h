#pragma once
// The controls of the dialog's forms as the portable code sees them, what the forms need from
// the platform, and the base of the forms themselves.
//
// Setting a control through these interfaces changes only what it shows: the platform raises no
// event for it. The form raises the control's event itself when the state changed, as it does
// when the platform reports a user's change, so both take one road.
#include <cstdint>
#include <string>
#include <string_view>

#include "config/layout.h"

namespace hg {

class CheckBox {
  public:
    virtual ~CheckBox() = default;
    virtual int16_t Value() = 0;  // 0 clear, 1 checked
    virtual void SetValue(int16_t value) = 0;
};

class OptionButton {
  public:
    virtual ~OptionButton() = default;
    virtual bool Value() = 0;
    virtual void SetValue(bool chosen) = 0;
};

class TextBox {
  public:
    virtual ~TextBox() = default;
    virtual std::string Text() = 0;
    virtual void SetText(const std::string& text) = 0;
};

class ScrollBar {
  public:
    virtual ~ScrollBar() = default;
    virtual int32_t Value() = 0;
    virtual void SetValue(int32_t value) = 0;  // within the row's range
};

class DropDownList {
  public:
    virtual ~DropDownList() = default;
    virtual std::string Text() = 0;                     // the chosen item, or empty when none is
    virtual void SetText(const std::string& item) = 0;  // one of the row's items
};

class ButtonCaption {
  public:
    virtual ~ButtonCaption() = default;
    virtual std::string Caption() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
};

// The widgets the platform made for a form's rows. Asked for a row of another kind, it answers
// with a control that keeps its state but shows nothing.
class FormControls {
  public:
    virtual ~FormControls() = default;
    virtual CheckBox& CheckBoxOf(const ControlRow& row) = 0;
    virtual OptionButton& OptionButtonOf(const ControlRow& row) = 0;
    virtual TextBox& TextBoxOf(const ControlRow& row) = 0;
    virtual ScrollBar& ScrollBarOf(const ControlRow& row) = 0;
    virtual DropDownList& DropDownListOf(const ControlRow& row) = 0;
    virtual ButtonCaption& ButtonOf(const ControlRow& row) = 0;
};

// What the dialog's forms ask of the platform. No result is ever checked.
class DialogHost {
  public:
    virtual ~DialogHost() = default;
    // Starts a command line as a new process with the given window state.
    virtual void StartProcess(const std::string& commandLine, int showState) = 0;
    // Asks the shell to open an address with the verb "open", the form's window as owner.
    virtual void OpenAddress(Form& owner, const std::string& address) = 0;
    // A message box with an OK button only; returns when it is closed.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
    // Shows the help window, not modally, with no owner.
    virtual void ShowHelp() = 0;
    // Closes and unloads the form once its handler has returned.
    virtual void Unload(Form& form) = 0;
};

enum class Event { Click, Change, Scroll };

class Form {
  public:
    Form(const FormLayout& layout, FormControls& controls, DialogHost& host);
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const FormLayout& Layout() const { return layout_; }

    // Runs the row's handler for the event, if it has one.
    void Raise(const ControlRow& row, Event event);

    // Asks the shell to open `address` for `form`. The result is not looked at.
    void Navigate(Form& form, const std::string& address);

  protected:
    const ControlRow& Row(std::string_view name, int16_t index = -1) const;

    CheckBox& CheckBoxNamed(std::string_view name, int16_t index = -1);
    TextBox& TextBoxNamed(std::string_view name, int16_t index = -1);
    ScrollBar& ScrollBarNamed(std::string_view name, int16_t index = -1);
    DropDownList& ListNamed(std::string_view name, int16_t index = -1);
    ButtonCaption& ButtonNamed(std::string_view name, int16_t index = -1);

    // Changes as the program makes them. Each raises the control's event when its state
    // changed, and reports false, changing nothing, for a value the control cannot take.
    bool SetCheckBox(std::string_view name, int16_t index, int16_t value);
    void SetTextBox(std::string_view name, int16_t index, const std::string& text);
    bool SetScrollBar(std::string_view name, int16_t index, int32_t value);
    bool SetList(std::string_view name, int16_t index, const std::string& item);
    // Chooses option `index` of the array and clears the others.
    bool ChooseOption(std::string_view name, int16_t index);

    FormControls& controls_;
    DialogHost& host_;

  private:
    const FormLayout& layout_;
    ControlRow missing_;
};

}  // namespace hg
