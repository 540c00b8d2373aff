#include "startup/module1.h"

#include <cctype>

#include "common/number_text.h"

namespace hg {

namespace {

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
    if (mode == "/s") return Mode::Scene;
    if (mode == "/p") return Mode::Preview;
    // No switch at all is how Explorer's Configure command starts a screen saver.
    if (mode.empty() || mode == "/c") return Mode::Configure;
    if (mode == "/a") return Mode::Password;
    return Mode::None;
}

std::optional<int32_t> WindowHandleOf(const std::string& normalised) {
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
    // Every mode counts as an instance, so a scene that Windows starts on idle finds the dialog
    // or the preview already running and stays away.
    const bool previousInstance = host_.PreviousInstance();
    if (mode == Mode::Scene) {
        // Never two scenes. Beside anything else of ours a scene runs only when a settings
        // window shows us: its Preview button starts "/s" while our preview (or the dialog it
        // owns) still runs. Asking the window itself rather than its title keeps that working
        // in every language Windows speaks.
        if (!host_.ClaimScene()) return;
        if (previousInstance && !host_.SettingsWindowShowsUs()) return;
    }

    switch (mode) {
        case Mode::Scene: {
            state_.PreviewRect = host_.DesktopWindowRect();
            host_.LoadSceneWindow();
            host_.ShowSceneWindowTopmost(state_.PreviewRect.right, state_.PreviewRect.bottom);
            host_.SetScreenSaverRunning(true);
            break;
        }
        case Mode::Preview: {
            if (auto handle = WindowHandleOf(commandLine)) state_.PreviewParent = *handle;
            // A missing or foreign handle would leave an invisible window that keeps the
            // process alive for ever; with no pane to fill there is nothing to show.
            if (state_.PreviewParent == 0 || !host_.IsWindow(state_.PreviewParent)) return;
            host_.GetClientRect(state_.PreviewParent, state_.PreviewRect);
            host_.ShowPreview(state_.PreviewParent, state_.PreviewRect.right,
                              state_.PreviewRect.bottom);
            break;
        }
        case Mode::Configure: {
            // A handle that names no window (or none at all) leaves the dialog on its own.
            const int32_t owner = WindowHandleOf(commandLine).value_or(0);
            host_.ShowSetup(owner != 0 && host_.IsWindow(owner) ? owner : 0);
            break;
        }
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
