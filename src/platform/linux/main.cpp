// hearthglow: the hearth as an X11 screen-saver hack, for xscreensaver or on its own.
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "platform/linux/app.h"
#include "platform/linux/asset_dir.h"
#include "settings/ini_store.h"
#include "settings/override_store.h"
#include "settings/settings.h"

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    // Weekday and month names and the time format follow the user's locale; numbers in the
    // settings file keep the C locale's form whatever LC_NUMERIC says.
    std::setlocale(LC_TIME, "");
    std::setlocale(LC_CTYPE, "");

    const std::string program = "hearthglow";
    std::vector<std::string> args(argv + 1, argv + argc);
    hg::HackParse parsed = hg::ParseHackOptions(args, std::getenv("XSCREENSAVER_WINDOW"));
    if (!parsed.options) {
        std::fprintf(stderr, "%s: %s\n%s\n", program.c_str(), parsed.error.c_str(),
                     hg::HackUsageLine(program).c_str());
        return 2;
    }
    if (parsed.options->help) {
        std::fputs(hg::HackHelp(program).c_str(), stdout);
        return 0;
    }
    hg::IniStore ini(hg::DefaultIniPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
    hg::OverrideStore store(ini, parsed.options->overrides);
    if (parsed.options->showSettings) {
        // What a run would read; an unseeded file reads as the first run would seed it. Only
        // ShowMsg is never seeded, and the scene reads it as 1 when it is absent.
        hg::SeedIfNeeded(store);
        for (const auto& [section, name] : hg::OptionSettings())
            std::printf("%s/%s=%s\n", section.c_str(), name.c_str(),
                        store.Read(hg::kAppName, section, name, "1").c_str());
        return 0;
    }
    hg::AssetDirSearch assets =
        hg::FindAssetDir(hg::ExecutableDir(), EnvOr("HEARTHGLOW_ASSETS", ""));
    if (assets.found.empty()) {
        // The scene runs on without its pictures, as it does with a folder emptied by hand;
        // the terminal, or xscreensaver's log, says why it looks bare.
        std::string where;
        for (const std::string& place : assets.looked) where += "\n  " + place;
        std::fprintf(stderr, "%s: no pictures or sounds (fire.wav) found; looked in:%s\n",
                     program.c_str(), where.c_str());
        assets.found = assets.looked.back();
    }
    const int rc =
        hg::RunHack(*parsed.options, store, assets.found, EnvOr("HEARTHGLOW_SOUNDFONT", ""));
    // A sound font still loading or a sound card that hangs keeps a thread of ours busy; the
    // scene has ended and its settings are written, so nothing is left to wait for.
    std::fflush(nullptr);
    _exit(rc);
}
