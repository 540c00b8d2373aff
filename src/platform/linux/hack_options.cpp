#include "platform/linux/hack_options.h"

#include <algorithm>
#include <functional>

#include "common/number_text.h"
#include "settings/settings.h"

namespace hg {

namespace {

using Overrides = OverrideStore::Overrides;

// A switch without a value: `-name` sets the value to `on`, `-no-name` to `off`.
struct Switch {
    std::string name;
    std::string section, value;
    std::string on = "1", off = "0";
    std::string help;
};

// An option with a value: `check` turns the text typed into the stored text, or refuses it.
struct Valued {
    std::string name, meta;
    std::function<std::optional<std::string>(const std::string&)> set;
    std::function<void(const std::string&, Overrides&)> apply;
    std::string help;
};

std::optional<std::string> WholeNumberIn(const std::string& text, int low, int high) {
    auto v = TextToInt32(text);
    if (!v || *v != ParseNumber(text) || *v < low || *v > high) return std::nullopt;
    return std::to_string(*v);
}

std::optional<std::string> OneOf(const std::string& text, std::initializer_list<int> allowed) {
    auto v = TextToInt32(text);
    if (!v || *v != ParseNumber(text)) return std::nullopt;
    if (std::find(allowed.begin(), allowed.end(), *v) == allowed.end()) return std::nullopt;
    return std::to_string(*v);
}

std::function<void(const std::string&, Overrides&)> Store(std::string section, std::string name) {
    return [section, name](const std::string& v, Overrides& o) { o[{section, name}] = v; };
}

// "1,5,30", "all" or "none": the checked tracks; every other track is unchecked.
std::optional<std::string> TrackList(const std::string& text) {
    if (text == "all" || text == "none") return text;
    std::string out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string part =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        auto n = WholeNumberIn(part, 1, 36);
        if (!n) return std::nullopt;
        out += (out.empty() ? "" : ",") + *n;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

void ApplyTracks(const std::string& list, Overrides& o) {
    std::vector<bool> on(37, list == "all");
    if (list != "all" && list != "none") {
        size_t start = 0;
        while (start < list.size()) {
            size_t comma = list.find(',', start);
            on[std::stoi(list.substr(start, comma - start))] = true;
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    for (int n = 1; n <= 36; ++n)
        o.insert_or_assign({"Music", "Music" + std::to_string(n)},
                           std::string(1, on[n] ? '1' : '0'));
}

const std::vector<Switch>& Switches() {
    static const std::vector<Switch> table = [] {
        const char* styles[] = {"",
                                "Dark Marble",
                                "Light Marble",
                                "Light Colored River Rock",
                                "Dark Colored River Rock",
                                "Flat Stone",
                                "Old Rock"};
        std::vector<Switch> t;
        for (int n = 1; n <= 6; ++n)
            t.push_back({"style" + std::to_string(n), "hrthglow", "ShowFP" + std::to_string(n), "1",
                         "0", std::string("hearth style ") + styles[n]});
        for (int n = 3; n <= 6; ++n)
            t.push_back({"mantel" + std::to_string(n), "hrthglow", "ShowM" + std::to_string(n), "1",
                         "0", "the mantel of style " + std::to_string(n)});
        t.push_back({"rotate", "hrthglow", "RotateCk", "1", "0", "rotate the hearth styles"});
        t.push_back({"andirons", "hrthglow", "AndIron", "1", "0", "the andirons"});
        t.push_back({"show-message", "Settings", "ShowMsg", "1", "0", "the message line"});
        t.push_back({"calendar", "Settings", "Calendar", "1", "0", "the calendar"});
        for (int n = 1; n <= 4; ++n)
            t.push_back({"stocking" + std::to_string(n), "xmas", "ShowS" + std::to_string(n), "1",
                         "0", "stocking " + std::to_string(n)});
        t.push_back({"bell-left", "xmas", "Bell1", "1", "0", "the left bell"});
        t.push_back({"bell-right", "xmas", "Bell2", "1", "0", "the right bell"});
        t.push_back({"poinsettia-left", "xmas", "Poin1", "1", "0", "the left poinsettia"});
        t.push_back({"poinsettia-right", "xmas", "Poin2", "1", "0", "the right poinsettia"});
        t.push_back({"sound", "Settings", "SoundOn", "1", "0", "the fire's crackle"});
        // The store keeps the opposite sense: PlayMusic 1 means "do not play music".
        t.push_back({"music", "xmas", "PlayMusic", "0", "1", "the carols"});
        return t;
    }();
    return table;
}

const std::vector<Valued>& ValuedOptions() {
    static const std::vector<Valued> table = {
        {"rotate-minutes", "N",
         [](const std::string& s) {
             return OneOf(s, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 20, 30, 45, 60});
         },
         Store("hrthglow", "RotateT"), "minutes per hearth style: 1..10, 15, 20, 30, 45, 60"},
        {"speed", "N", [](const std::string& s) { return WholeNumberIn(s, 25, 250); },
         Store("hrthglow", "Speed"), "flame pace, 25 (fast) .. 250 (slow)"},
        {"message", "TEXT", [](const std::string& s) { return std::optional<std::string>(s); },
         Store("Settings", "Message"), "the message text"},
        {"font-size", "N", [](const std::string& s) { return WholeNumberIn(s, 1, 300); },
         Store("Settings", "FontSize"), "the message's size in pixels, 1..300"},
        {"calendar-corner", "N", [](const std::string& s) { return WholeNumberIn(s, 0, 3); },
         Store("Settings", "CalPos"), "0 upper left, 1 lower left, 2 upper right, 3 lower right"},
        {"stocking-y", "N", [](const std::string& s) { return WholeNumberIn(s, -20, 100); },
         Store("xmas", "StockLoc"), "height of the stockings, -20 (higher) .. 100 (lower)"},
        {"volume", "N", [](const std::string& s) { return WholeNumberIn(s, -2500, 0); },
         Store("Settings", "Vol"), "crackle volume in hundredths of a decibel, -2500 .. 0"},
        {"sound-off", "MIN",
         [](const std::string& s) {
             return OneOf(s, {0,  1,  2,  3,   4,   5,   10,  15,  20,  30,
                              45, 60, 90, 120, 180, 240, 300, 360, 420, 480});
         },
         Store("Settings", "SoundOff"), "minutes until the sound stops, 0 for never"},
        {"mouse-moves", "N", [](const std::string& s) { return WholeNumberIn(s, 2, 20); },
         Store("Settings", "MouseSen"), "mouse moves that end a -window run, 2..20"},
        {"tracks", "LIST", TrackList, ApplyTracks, "the carols to play: 1,5,30 or all or none"},
    };
    return table;
}

// What a first run writes, caught instead of stored.
class SeedCatcher : public SettingsStore {
  public:
    std::string Read(const std::string&, const std::string&, const std::string&,
                     const std::string& fallback) override {
        return fallback;
    }
    void Write(const std::string&, const std::string& section, const std::string& name,
               const std::string& value) override {
        seeds[{section, name}] = value;
    }
    Overrides seeds;
};

// Under xscreensaver the command line is the whole truth, as it is for xscreensaver's own
// hacks: its settings program leaves out every option whose control is at its default, so a
// setting the line does not name takes its seed, never the file's value. Only the track list
// has no control of its own there, and keeps coming from the file.
Overrides SeededOptionValues() {
    SeedCatcher catcher;
    SetRegistry(catcher);
    Overrides out;
    auto seedOf = [&](const std::string& section, const std::string& name) {
        auto it = catcher.seeds.find({section, name});
        // ShowMsg has no seed; the scene shows the message unless told otherwise.
        return it != catcher.seeds.end() ? it->second : std::string("1");
    };
    for (const Switch& s : Switches()) out[{s.section, s.value}] = seedOf(s.section, s.value);
    for (const Valued& v : ValuedOptions()) {
        if (v.name == "tracks") continue;
        Overrides named;  // the values the option sets, learnt by letting it set them
        v.apply("", named);
        for (const auto& entry : named)
            out[entry.first] = seedOf(entry.first.first, entry.first.second);
    }
    return out;
}

std::string OptionName(const std::string& arg) {
    if (arg.rfind("--", 0) == 0) return arg.substr(2);
    if (arg.rfind("-", 0) == 0) return arg.substr(1);
    return {};
}

}  // namespace

std::optional<uint64_t> ParseWindowId(const std::string& text) {
    if (text.empty()) return std::nullopt;
    size_t pos = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        pos = 2;
        base = 16;
    }
    uint64_t v = 0;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        int d = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : 99;
        if (d >= base) return std::nullopt;
        // X resource ids have 29 bits; anything that needs more names no window.
        if (v > (UINT64_C(1) << 32)) return std::nullopt;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    if (v == 0 || v > UINT32_MAX) return std::nullopt;
    return v;
}

HackParse ParseHackOptions(const std::vector<std::string>& args, const char* xscreensaverWindow) {
    HackOptions o;
    bool targetGiven = false;
    const bool underXscreensaver = xscreensaverWindow && *xscreensaverWindow;
    o.underXscreensaver = underXscreensaver;
    if (underXscreensaver) o.overrides = SeededOptionValues();
    auto fail = [](std::string why) { return HackParse{std::nullopt, std::move(why)}; };

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string name = OptionName(arg);
        if (name.empty()) return fail("unexpected argument \"" + arg + "\"");
        auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };

        if (name == "h" || name == "help") {
            o.help = true;
        } else if (name == "show-settings") {
            o.showSettings = true;
        } else if (name == "root") {
            o.target = HackTarget::Root;
            targetGiven = true;
        } else if (name == "window") {
            o.target = HackTarget::OwnWindow;
            targetGiven = true;
        } else if (name == "window-id") {
            const std::string* v = value();
            if (!v) return fail("-window-id needs a window id");
            auto id = ParseWindowId(*v);
            if (!id) return fail("-window-id: \"" + *v + "\" is not a window id");
            o.target = HackTarget::ForeignWindow;
            o.windowId = *id;
            targetGiven = true;
        } else if (name == "display") {
            const std::string* v = value();
            if (!v) return fail("-display needs a display name");
            o.display = *v;
        } else {
            bool known = false;
            for (const Switch& s : Switches()) {
                if (name == s.name || name == "no-" + s.name) {
                    o.overrides[{s.section, s.value}] = name == s.name ? s.on : s.off;
                    known = true;
                    break;
                }
            }
            for (const Valued& v : ValuedOptions()) {
                if (known || name != v.name) continue;
                const std::string* text = value();
                if (!text) return fail("-" + v.name + " needs a value: " + v.help);
                auto stored = v.set(*text);
                if (!stored) return fail("-" + v.name + ": \"" + *text + "\" is not " + v.help);
                v.apply(*stored, o.overrides);
                known = true;
            }
            if (!known) return fail("unknown option \"" + arg + "\"");
        }
    }
    // xscreensaver starts a hack with -root and names its own window in the variable: the
    // screen is covered by that window, and the root beneath it is never seen.
    if (underXscreensaver && (!targetGiven || o.target == HackTarget::Root)) {
        if (auto id = ParseWindowId(xscreensaverWindow)) {
            o.target = HackTarget::ForeignWindow;
            o.windowId = *id;
        }
    }
    return {o, {}};
}

std::vector<std::pair<std::string, std::string>> OptionSettings() {
    std::vector<std::pair<std::string, std::string>> out;
    for (const Switch& s : Switches()) out.emplace_back(s.section, s.value);
    for (const Valued& v : ValuedOptions()) {
        Overrides named;
        v.apply(v.name == "tracks" ? "none" : "", named);
        for (const auto& entry : named) out.push_back(entry.first);
    }
    return out;
}

std::string HackUsageLine(const std::string& program) {
    return "usage: " + program + " [-root | -window | -window-id ID] [-display DPY] [options]   (" +
           program + " -help lists them)";
}

std::string HackHelp(const std::string& program) {
    std::string out = HackUsageLine(program) + "\n\n";
    out +=
        "  -root               draw on the root window (the virtual root of a window\n"
        "                      manager that has one), or into $XSCREENSAVER_WINDOW when set\n"
        "  -window             a window of our own over the screen (the default); a click,\n"
        "                      a key or mouse movement ends it, N P Q S steer the music\n"
        "  -window-id ID       draw into that window (also $XSCREENSAVER_WINDOW)\n"
        "  -display DPY        the X display\n"
        "  -show-settings      print the settings this command line gives, and end\n\n"
        "Options override the settings file for this run only. Run by xscreensaver\n"
        "($XSCREENSAVER_WINDOW set), a setting no option names takes its first-run value,\n"
        "not the file's (the carols of -tracks excepted), as its settings program shows:\n";
    for (const Switch& s : Switches()) {
        std::string names = "  -" + s.name + ", -no-" + s.name;
        names.resize(std::max<size_t>(names.size() + 1, 38), ' ');
        out += names + s.help + "\n";
    }
    for (const Valued& v : ValuedOptions()) {
        std::string names = "  -" + v.name + " " + v.meta;
        names.resize(std::max<size_t>(names.size() + 1, 38), ' ');
        out += names + v.help + "\n";
    }
    return out;
}

}  // namespace hg
