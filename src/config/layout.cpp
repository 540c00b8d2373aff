#include "config/layout.h"

#include <cstdlib>

namespace hg {

ControlRow::ControlRow(std::string_view control, Kind k, std::string text, std::string in,
                       Twips rect)
    : kind(k), caption(std::move(text)), container(std::move(in)), at(rect) {
    auto open = control.find('(');
    if (open != std::string_view::npos && control.back() == ')') {
        name = std::string(control.substr(0, open));
        index = static_cast<int16_t>(
            std::atoi(std::string(control.substr(open + 1, control.size() - open - 2)).c_str()));
    } else {
        name = std::string(control);
    }
    // Every frame caption of the dialog is dark blue in Arial bold; a row may say otherwise.
    if (kind == Kind::Frame || kind == Kind::TabStrip) font = FontRole::ArialBold;
    if (kind == Kind::Frame) fore = kDarkBlue;
}

ControlRow ControlRow::Font(FontRole f) && {
    font = f;
    return std::move(*this);
}
ControlRow ControlRow::Colours(Colour foreground, Colour background) && {
    fore = foreground;
    back = background;
    return std::move(*this);
}
ControlRow ControlRow::Fore(Colour foreground) && {
    fore = foreground;
    return std::move(*this);
}
ControlRow ControlRow::Back(Colour background) && {
    back = background;
    return std::move(*this);
}
ControlRow ControlRow::Centred() && {
    align = Align::Centre;
    return std::move(*this);
}
ControlRow ControlRow::Tip(std::string text) && {
    tip = std::move(text);
    return std::move(*this);
}
ControlRow ControlRow::Range(int32_t atStart, int32_t atEnd, int32_t small, int32_t large) && {
    first = atStart;
    last = atEnd;
    initial = atStart;
    smallChange = small;
    largeChange = large;
    return std::move(*this);
}
ControlRow ControlRow::Initially(int32_t value) && {
    initial = value;
    return std::move(*this);
}
ControlRow ControlRow::Items(std::vector<std::string> list) && {
    items = std::move(list);
    return std::move(*this);
}
ControlRow ControlRow::Shows(std::string resource) && {
    picture = std::move(resource);
    return std::move(*this);
}
ControlRow ControlRow::Default() && {
    isDefault = true;
    return std::move(*this);
}
ControlRow ControlRow::Around(std::string control) && {
    around = std::move(control);
    return std::move(*this);
}
ControlRow ControlRow::Click(Handler h) && {
    click = h;
    return std::move(*this);
}
ControlRow ControlRow::Change(Handler h) && {
    change = h;
    return std::move(*this);
}
ControlRow ControlRow::Scroll(Handler h) && {
    scroll = h;
    return std::move(*this);
}

std::string ControlRow::QualifiedName() const {
    return index < 0 ? name : name + "(" + std::to_string(index) + ")";
}

const ControlRow* FormLayout::Find(std::string_view n, int16_t i) const {
    for (const ControlRow& row : rows)
        if (row.name == n && row.index == i) return &row;
    return nullptr;
}

const ControlRow* FormLayout::Container(const ControlRow& row) const {
    if (row.container.empty()) return nullptr;
    auto open = row.container.find('(');
    if (open == std::string::npos) return Find(row.container);
    return Find(row.container.substr(0, open),
                static_cast<int16_t>(std::atoi(row.container.c_str() + open + 1)));
}

const ControlRow* FormLayout::WindowParent(const ControlRow& row) const {
    // A chain of containers is a few rows deep; the bound keeps a mistaken cycle finite.
    const ControlRow* c = Container(row);
    for (int depth = 0; c && depth < 8; ++depth, c = Container(*c))
        if (IsWindowContainer(c->kind)) return c;
    return nullptr;
}

Twips FormLayout::Placement(const ControlRow& row) const {
    Twips t = row.at;
    const ControlRow* c = Container(row);
    for (int depth = 0; c && depth < 8 && !IsWindowContainer(c->kind); ++depth) {
        t.left += c->at.left;
        t.top += c->at.top;
        c = Container(*c);
    }
    return t;
}

}  // namespace hg
