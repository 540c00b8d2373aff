#pragma once
// The command line of the X11 screen-saver hack: where the scene is drawn (the xscreensaver
// conventions -root, -window, -window-id and the XSCREENSAVER_WINDOW variable) and the options
// of its settings file, which override the stored values for one run.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/override_store.h"

namespace hg {

enum class HackTarget {
    OwnWindow,      // a window of our own over the whole screen; its input ends the run
    Root,           // the root window; input belongs to whoever started us
    ForeignWindow,  // a window made by someone else (xscreensaver's); likewise no input
};

struct HackOptions {
    HackTarget target = HackTarget::OwnWindow;
    uint64_t windowId = 0;  // for ForeignWindow
    std::string display;    // empty: $DISPLAY
    bool help = false;
    bool showSettings = false;
    // Run by xscreensaver (its window in XSCREENSAVER_WINDOW): the screen's power is its business.
    bool underXscreensaver = false;  // print the values this run would use, and end
    OverrideStore::Overrides overrides;
};

struct HackParse {
    std::optional<HackOptions> options;  // nothing when the command line is wrong
    std::string error;                   // what was wrong, for the user
};

// `args` without the program name. `xscreensaverWindow` is the variable's value or null; it
// names the target only when no -root, -window or -window-id was given. Options are accepted
// with one dash or two, as xscreensaver's own hacks accept them.
HackParse ParseHackOptions(const std::vector<std::string>& args, const char* xscreensaverWindow);

// One line naming the modes, printed with an error.
std::string HackUsageLine(const std::string& program);
// Every option with its values, for -help.
std::string HackHelp(const std::string& program);

// Every setting an option can change, as (section, value name), in the table's order.
std::vector<std::pair<std::string, std::string>> OptionSettings();

// A window id as xscreensaver writes it: decimal, or hexadecimal after 0x.
std::optional<uint64_t> ParseWindowId(const std::string& text);

}  // namespace hg
