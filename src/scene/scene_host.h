#pragma once
// What the scene window needs from the platform beyond its controls and timers.
#include <cstdint>
#include <string>

namespace hg {

class SceneHost {
  public:
    virtual ~SceneHost() = default;
    // Puts the monitor-power filter in place on the scene window.
    virtual void HookSceneWindow() = 0;
    virtual void ShowCursor(bool show) = 0;
    // Tells Windows whether a screen saver runs.
    virtual void SetScreenSaverRunning(bool running) = 0;
    virtual void HideSceneWindow() = 0;
    // A message box with the critical-stop icon and one OK button; returns when it is closed.
    virtual void ShowCriticalMessage(const std::string& title, const std::string& text) = 0;
    // Closes the help window, the configuration dialog and the preview, each only if open.
    virtual void CloseOtherForms() = 0;
    // Destroys the scene window; the platform then runs the form's unload handler.
    virtual void UnloadSceneWindow() = 0;
    // Ends the process at once. On Windows it does not return; fakes record it and return.
    virtual void EndProcess() = 0;

    // Power. A platform that knows of no power plan reports none and holds nothing.
    // Milliseconds since the user's last input in this session.
    virtual int64_t IdleMilliseconds() { return 0; }
    // How long the user may be idle before the power plan puts the computer to sleep, in
    // seconds, on the power source in use now; 0 when it never does or cannot be read.
    virtual int64_t SleepTimeoutSeconds() { return 0; }
    // Keeps the display on and the computer awake (true), or lets both go (false).
    virtual void HoldDisplayAndSystem(bool hold) {}
};

// The clock and the user's regional formats.
class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since local midnight, with the fraction.
    virtual double TimeOfDay() = 0;
    // Today's date in the user's language: "dddd" (weekday), "d" (day), "mmm" (short month).
    virtual std::string WeekdayText() = 0;
    virtual std::string DayText() = 0;
    virtual std::string MonthText() = 0;
    // The time of day in the user's long time format.
    virtual std::string LongTimeText() = 0;
};

}  // namespace hg
