#pragma once
// The scene window on Win32: a borderless window that owns Form1, its controls and its timers,
// and turns window messages into the form's ticks, events and handlers.
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/win32/control_factory.h"
#include "platform/win32/power_win32.h"
#include "scene/form1.h"

namespace hg {

class App;

class SceneWindow : public SceneHost, public Clock, public TimerDriver {
  public:
    explicit SceneWindow(App& app);
    ~SceneWindow() override;

    HWND Handle() const { return window_; }
    Form1& Form() { return *form_; }

    // SceneHost
    void HookSceneWindow() override;
    void ShowCursor(bool show) override;
    void SetScreenSaverRunning(bool running) override;
    void HideSceneWindow() override;
    void ShowCriticalMessage(const std::string& title, const std::string& text) override;
    void CloseOtherForms() override;
    void UnloadSceneWindow() override;
    void EndProcess() override;
    int64_t IdleMilliseconds() override;
    int64_t SleepTimeoutSeconds() override;
    void HoldDisplayAndSystem(bool hold) override;

    // Asks Windows to tell the window when the display goes off and comes back on.
    void WatchDisplayPower();

    // Clock
    double TimeOfDay() override;
    std::string WeekdayText() override;
    std::string DayText() override;
    std::string MonthText() override;
    std::string LongTimeText() override;

    // TimerDriver
    void TimerChanged(Timer& timer) override;
    void TimerDestroyed(Timer& timer) override;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SceneWindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPowerSetting(const POWERBROADCAST_SETTING& setting);
    void StopWatchingDisplayPower();

    App& app_;
    HWND window_ = nullptr;
    DrawingControl ddrw_;
    std::unique_ptr<TegoDS> ds_;
    std::unique_ptr<ThreadedMusic> snd_;
    std::unique_ptr<Form1> form_;
    std::map<UINT_PTR, Timer*> timers_;
    std::map<Timer*, UINT_PTR> timerIds_;
    UINT_PTR nextTimerId_ = 1;
    PowerPlan powerPlan_;
    std::vector<HPOWERNOTIFY> displayNotices_;
};

}  // namespace hg
