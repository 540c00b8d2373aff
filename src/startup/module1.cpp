#include "startup/module1.h"

#include <cctype>

#include "common/number_text.h"

namespace hg {

namespace {

// Windows XP and earlier title the host of the preview pane "Display Properties"; Vista and
// later "Screen Saver Settings". Its Preview button starts "/s" while our "/p" instance still
// runs, so either title must let that second instance through.
constexpr const char* kSettingsWindowTitles[] = {"Display Properties", "Screen Saver Settings"};

// What a launcher may leave around the switches: blanks, tabs and line ends.
bool IsCommandLineSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string NormaliseCommandLine(std::string_view arguments) {
    size_t begin = 0;
    size_t end = arguments.size();
    while (begin < end && IsCommandLineSpace(arguments[begin])) ++begin;
    while (end > begin && IsCommandLineSpace(arguments[end - 1])) --end;
    std::string out(arguments.substr(begin, end - begin));
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

Mode ModeOf(const std::string& normalised) {
    std::string mode = normalised.substr(0, 2);
    if (mode.empty() || mode == "/s") return Mode::Scene;
    if (mode == "/p") return Mode::Preview;
    if (mode == "/c") return Mode::Configure;
    if (mode == "/a") return Mode::Password;
    return Mode::None;
}

std::optional<int32_t> PreviewHandleOf(const std::string& normalised) {
    for (size_t n = normalised.size(); n >= 1; --n) {
        auto value = ParseNumber(std::string_view(normalised).substr(normalised.size() - n));
        if (value) {
            // A number too large for a window handle names no window: no preview, rather than
            // some unrelated window found in a shorter tail.
            return RoundToInt32(*value);
        }
    }
    return std::nullopt;
}

void Module1::Main() {
    std::string commandLine = NormaliseCommandLine(host_.CommandLineArguments());
    Mode mode = ModeOf(commandLine);
    uintptr_t settingsWindow = 0;
    for (const char* title : kSettingsWindowTitles) {
        if (!settingsWindow) settingsWindow = host_.FindTopLevelWindow(title);
    }
    // Every mode counts as an instance, so a scene that Windows starts on idle finds the dialog,
    // the preview or a scene started without a switch already running.
    const bool previousInstance = host_.PreviousInstance();
    if (commandLine.substr(0, 2) == "/s" && settingsWindow == 0 && previousInstance) return;

    switch (mode) {
        case Mode::Scene: {
            state_.PreviewRect = host_.DesktopWindowRect();
            host_.LoadSceneWindow();
            host_.ShowSceneWindowTopmost(state_.PreviewRect.right, state_.PreviewRect.bottom);
            host_.SetScreenSaverRunning(true);
            break;
        }
        case Mode::Preview: {
            if (auto handle = PreviewHandleOf(commandLine)) state_.PreviewParent = *handle;
            // A missing or foreign handle would leave an invisible window that keeps the
            // process alive for ever; with no pane to fill there is nothing to show.
            if (state_.PreviewParent == 0 || !host_.IsWindow(state_.PreviewParent)) return;
            host_.GetClientRect(state_.PreviewParent, state_.PreviewRect);
            host_.ShowPreview(state_.PreviewParent, state_.PreviewRect.right,
                              state_.PreviewRect.bottom);
            break;
        }
        case Mode::Configure:
            host_.ShowSetup();
            break;
        case Mode::Password: {
            uintptr_t owner = host_.SceneWindowHandle();
            host_.RequestPasswordChange(owner);
            // The hidden scene window can receive no input, so without this it would live on
            // with the crackle playing and the cursor hidden.
            host_.CloseDownScene();
            break;
        }
        case Mode::None:
            break;
    }
}

}  // namespace hg
