#pragma once
// The dialog's forms as data: one row per control, positions in twips (1440 to the inch, so 15
// to the pixel at 96 DPI), rows in tab order. The platform builds its widgets from the rows and
// raises each row's handlers; the portable forms set their controls through the same rows, so a
// control's event runs the same way whether the user or the program changed it.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "scene/controls.h"

namespace hg {

class Form;

// A control's event handler: the form, and the control's place in its control array (-1 for a
// control that is not in an array).
using Handler = void (*)(Form& form, int16_t index);

// A form's member function as a row's handler: `On<&Setup::chkFP_Click>`. Members of control
// arrays take the index; the others take nothing.
template <class C>
C FormClassOf(void (C::*)());
template <class C>
C FormClassOf(void (C::*)(int16_t));

template <auto F>
void On(Form& form, int16_t index) {
    using C = decltype(FormClassOf(F));
    C& f = static_cast<C&>(form);
    if constexpr (std::is_invocable_v<decltype(F), C&, int16_t>) {
        (f.*F)(index);
    } else {
        (f.*F)();
    }
}

enum class Kind {
    TabStrip,  // the tabbed control; its pages are the Page rows inside it
    Page,      // one page of the tabbed control; the caption is the tab's
    Strip,     // a bar of buttons docked to an edge
    Frame,     // a captioned group: a group box, drawn by the dialog as its page draws it
    Label,
    CheckBox,
    OptionButton,
    TextBox,
    MultiLineText,  // read-only, with scroll bars
    HScrollBar,
    VScrollBar,
    DropDownList,
    Button,
    Picture,  // a built-in picture in a sunken box
    Shape,    // a white rectangle, drawn by its page
    Line,     // a rule, drawn by its page: `at` is a rectangle of width or height 0
};

// Whether the platform draws the row itself on its container or makes a window for it.
constexpr bool IsDrawn(Kind k) { return k == Kind::Shape || k == Kind::Line; }
// Rows that hold other rows in their own window.
constexpr bool IsWindowContainer(Kind k) { return k == Kind::Page || k == Kind::Strip; }

enum class FontRole {
    Dialog,      // the system's dialog font, 8 point
    DialogBold,  // the same, bold
    ArialBold,   // Arial bold 8.25 point
};

enum class Align { Left, Centre };

// Colours are written as the form's own values: blue in the high byte, red in the low one.
inline constexpr Colour kSystemColour = 0xFFFFFFFFu;  // whatever the system gives the kind
inline constexpr Colour kDarkBlue = 0x800000;
inline constexpr Colour kBlue = 0xFF0000;
inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kWhite = 0xFFFFFF;

struct Twips {
    int32_t left = 0, top = 0, width = 0, height = 0;
    int32_t Right() const { return left + width; }
    int32_t Bottom() const { return top + height; }
};

struct ControlRow {
    // `control` is a name, or a name with its array index: "chkStocking(2)".
    ControlRow(std::string_view control, Kind kind, std::string caption, std::string container,
               Twips at);

    std::string name;
    int16_t index = -1;
    Kind kind;
    std::string caption;
    std::string container;  // the row this one sits in; empty for the form itself
    Twips at;               // relative to the container; for a tabbed control's pages, to it
    FontRole font = FontRole::Dialog;
    Colour fore = kSystemColour;
    Colour back = kSystemColour;
    Align align = Align::Left;
    std::string tip;
    int32_t first = 0, last = 0;  // scroll bars: the value at the left (top) and right (bottom)
    int32_t initial = 0;          // scroll bars: the value when the form opens
    int32_t smallChange = 1, largeChange = 1;
    std::vector<std::string> items;  // lists
    std::string picture;             // pictures: the built-in resource's name
    bool isDefault = false;          // pressed by Enter
    std::string around;  // labels: the control set in the gap of blanks inside the caption
    Handler click = nullptr;
    Handler change = nullptr;
    Handler scroll = nullptr;

    // Modifiers, so that a row stays one line of its table.
    ControlRow Font(FontRole f) &&;
    ControlRow Colours(Colour foreground, Colour background) &&;
    ControlRow Fore(Colour foreground) &&;
    ControlRow Back(Colour background) &&;
    ControlRow Centred() &&;
    ControlRow Tip(std::string text) &&;
    // Scroll bars: the values at the two ends, and the steps of an arrow and of the track.
    ControlRow Range(int32_t atStart, int32_t atEnd, int32_t small, int32_t large) &&;
    ControlRow Initially(int32_t value) &&;
    ControlRow Items(std::vector<std::string> list) &&;
    ControlRow Shows(std::string resource) &&;
    ControlRow Default() &&;
    ControlRow Around(std::string control) &&;
    ControlRow Click(Handler h) &&;
    ControlRow Change(Handler h) &&;
    ControlRow Scroll(Handler h) &&;

    std::string QualifiedName() const;  // "name" or "name(index)"
};

struct FormLayout {
    std::string caption;
    int32_t clientWidth = 0;  // twips
    int32_t clientHeight = 0;
    std::vector<ControlRow> rows;

    const ControlRow* Find(std::string_view name, int16_t index = -1) const;
    const ControlRow* Container(const ControlRow& row) const;
    // The nearest container with a window of its own (a page or a strip), or null for the form.
    const ControlRow* WindowParent(const ControlRow& row) const;
    // The row's rectangle relative to its window parent's origin: a page's origin is its tabbed
    // control's, the form's is its client area's.
    Twips Placement(const ControlRow& row) const;
};

}  // namespace hg
