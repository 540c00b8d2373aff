#pragma once
// The scene window on X11: our own full-screen window, the root window or a window of
// xscreensaver's, with Form1, its controls and its timers, turning X events into the form's
// events and handlers as the Win32 scene window turns window messages into them.
#include <X11/Xlib.h>

#include <functional>
#include <memory>

#include "platform/linux/audio_alsa.h"
#include "platform/linux/hack_options.h"
#include "platform/linux/locale_clock.h"
#include "scene/form1.h"

namespace hg {

class X11DDraw;

// What the scene window needs of the process.
struct SceneWindowParts {
    Display* display;
    const HackOptions& options;
    const std::string& assetDir;
    const std::string& soundFont;
    SettingsStore& store;
    TimerDriver& timers;
    AudioMixer& mixer;
    Module1State& module;
    std::function<void(int exitCode)> quit;  // ends the loop after the event being handled
};

class SceneWindow : public SceneHost {
  public:
    explicit SceneWindow(const SceneWindowParts& parts);
    ~SceneWindow() override;

    // False when the window to draw into does not exist (a stale -window-id).
    bool Usable() const { return window_ != 0; }
    Window Handle() const { return window_; }
    Form1& Form() { return *form_; }

    void OnEvent(const XEvent& event);
    void ShowTopmost(int width, int height);
    // After the form's start-up: the synthesizer's font starts loading if music may play.
    void PrepareMusic();

    // SceneHost
    void HookSceneWindow() override;
    void ShowCursor(bool show) override;
    void SetScreenSaverRunning(bool) override {}
    void HideSceneWindow() override;
    void ShowCriticalMessage(const std::string& title, const std::string& text) override;
    void CloseOtherForms() override {}
    void UnloadSceneWindow() override;
    void EndProcess() override;

  private:
    void MonitorPowerTick();

    SceneWindowParts parts_;
    Display* display_;
    Window window_ = 0;
    bool own_ = false;
    bool desktop_ = false;  // the root or the virtual root: left as it was found
    Cursor blank_ = 0;
    int cursorCount_ = 0;  // as Windows counts ShowCursor: hidden below zero
    Atom deleteWindow_ = 0;
    bool unloaded_ = false;
    bool monitorOn_ = true;
    LocaleClock clock_;
    std::unique_ptr<X11DDraw> ddraw_;
    std::unique_ptr<TegoDS> ds_;
    std::unique_ptr<TegoSnd> snd_;
    FluidOutput* synth_ = nullptr;  // owned by snd_
    std::unique_ptr<Form1> form_;
    std::unique_ptr<Timer> powerWatch_;
};

}  // namespace hg
