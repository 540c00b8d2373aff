#pragma once
// The start-up module: reads the command line once and does the one thing it asks for.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "startup/module1_state.h"

namespace hg {

// The platform operations the start-up routine needs.
class StartupHost {
  public:
    virtual ~StartupHost() = default;
    // Everything after the program path.
    virtual std::string CommandLineArguments() = 0;
    // Makes this process an instance of the program for as long as it lives, and tells whether
    // another instance was already running.
    virtual bool PreviousInstance() = 0;
    // Makes this process the running scene for as long as it lives; false, and nothing taken,
    // when another process of ours already is.
    virtual bool ClaimScene() = 0;
    // Whether a settings window shows one of ours: our preview inside a host window that still
    // exists, or our dialog owned by the window that started it. Whatever the window's title.
    virtual bool SettingsWindowShowsUs() = 0;
    virtual Rect DesktopWindowRect() = 0;
    virtual bool IsWindow(int32_t handle) = 0;
    // Fills `rect` with the window's client area; false (and `rect` untouched) on failure.
    virtual bool GetClientRect(int32_t handle, Rect& rect) = 0;
    // Creates the scene window and runs its whole start-up; the window stays hidden.
    virtual void LoadSceneWindow() = 0;
    virtual uintptr_t SceneWindowHandle() = 0;
    // Topmost over the desktop at (0, 0) with the given size, shown.
    virtual void ShowSceneWindowTopmost(int32_t width, int32_t height) = 0;
    virtual void SetScreenSaverRunning(bool running) = 0;
    // Loads the Preview form, captions it "Preview", makes it a child of `parent` and shows it
    // at (0, 0) with the given size without taking the focus.
    virtual void ShowPreview(int32_t parent, int32_t width, int32_t height) = 0;
    // Creates the configuration dialog and shows it: modeless with no owner when `owner` is 0,
    // else owned by that window and modal to it.
    virtual void ShowSetup(int32_t owner) = 0;
    // PwdChangePasswordA("SCRSAVE", owner, 0, 0) where mpr.dll has it; nothing elsewhere.
    virtual void RequestPasswordChange(uintptr_t owner) = 0;
    // The scene's orderly shutdown.
    virtual void CloseDownScene() = 0;
};

enum class Mode { Scene, Preview, Configure, Password, None };

// Trimmed and lower-cased command line.
std::string NormaliseCommandLine(std::string_view arguments);
// The first two characters of the normalised command line, as a mode.
Mode ModeOf(const std::string& normalised);
// The window handle a "/p" or "/c:" command line carries: its longest numeric tail, rounded;
// nothing when no tail is numeric or the number does not fit a signed 32-bit integer.
std::optional<int32_t> WindowHandleOf(const std::string& normalised);

class Module1 {
  public:
    Module1(StartupHost& host, Module1State& state) : host_(host), state_(state) {}
    void Main();

  private:
    StartupHost& host_;
    Module1State& state_;
};

}  // namespace hg
