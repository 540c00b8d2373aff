#pragma once
// The hack's process: its X connection, its settings, the scene window and the loop that
// delivers the scene's timer ticks, window events and the signals that end a run.
#include <memory>
#include <string>

#include "platform/linux/audio_alsa.h"
#include "platform/linux/hack_options.h"
#include "platform/linux/timer_schedule.h"
#include "startup/module1.h"

// Xlib's display, named without its header: Xlib's macros (None among them) would clash with
// the portable start-up module's names.
typedef struct _XDisplay Display;

namespace hg {

class SceneWindow;

struct AppConfig {
    HackOptions options;
    std::string assetDir;   // where the pictures, fire.wav and Music/ are
    std::string soundFont;  // empty: the system's General MIDI font
};

class LinuxApp : public StartupHost {
  public:
    LinuxApp(Display* display, SettingsStore& store, AppConfig config);
    ~LinuxApp() override;

    // Runs the start-up routine, then the loop until the scene ends; the process's exit code.
    int Run();

    // The loop ends after the event being handled.
    void Quit(int exitCode) {
        quit_ = true;
        if (exitCode) exitCode_ = exitCode;
    }

    // StartupHost. On Linux only the scene is ever asked for: xscreensaver previews a hack by
    // running it in a window of its own, configures it from hearthglow.xml, and asks for and
    // checks passwords itself.
    std::string CommandLineArguments() override { return "/s"; }
    // xscreensaver starts one instance per screen and ends each itself; an instance that
    // refused to run beside another would leave a screen dark.
    bool PreviousInstance() override { return false; }
    bool ClaimScene() override { return true; }
    bool SettingsWindowShowsUs() override { return false; }
    Rect DesktopWindowRect() override;
    bool IsWindow(int32_t handle) override;
    bool GetClientRect(int32_t handle, Rect& rect) override;
    void LoadSceneWindow() override;
    uintptr_t SceneWindowHandle() override;
    void ShowSceneWindowTopmost(int32_t width, int32_t height) override;
    // xscreensaver knows when it runs a hack; there is no flag to set.
    void SetScreenSaverRunning(bool) override {}
    void ShowPreview(int32_t, int32_t, int32_t) override {}
    void ShowSetup(int32_t) override {}
    void RequestPasswordChange(uintptr_t) override {}
    void CloseDownScene() override;

  private:
    void Loop();

    Display* display_;
    SettingsStore& store_;
    AppConfig config_;
    TimerSchedule timers_;
    int soundLock_ = -1;  // held while this instance is the session's one that sounds
    AudioMixer mixer_;
    Module1State module_;
    std::unique_ptr<SceneWindow> scene_;
    bool quit_ = false;
    int exitCode_ = 0;
    int signalPipe_[2] = {-1, -1};
};

// Opens the display the options name and runs the hack on it; the process's exit code.
int RunHack(const HackOptions& options, SettingsStore& store, std::string assetDir,
            std::string soundFont);

}  // namespace hg
