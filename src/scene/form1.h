#pragma once
// The scene window: settings, surfaces, timers and the routines of the running screen saver.
// The platform creates it, delivers its timer ticks and input, and performs its window
// operations through SceneHost; everything here is portable.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "scene/controls.h"
#include "scene/scene_host.h"
#include "scene/timer.h"
#include "settings/settings.h"
#include "startup/module1_state.h"

namespace hg {

struct Form1Parts {
    SettingsStore& store;
    SceneHost& host;
    Clock& clock;
    TimerDriver& timers;
    TegoDDrw& ddrw;
    TegoDS& ds;
    TegoSnd& snd;
    Module1State& module;
};

class Form1 : public TegoDDrwEvents {
  public:
    // Ticks of Timer3 after a monitor power-down that was let through; the fourth stops the music.
    static constexpr int kTimer3IntervalMs = 15000;
    // How often the user's idle time is held against the power plan's sleep timeout.
    static constexpr int kTimerSleepIntervalMs = 1000;

    explicit Form1(const Form1Parts& parts);
    ~Form1() override;

    // The window's start-up; runs once, when the platform has created the window.
    void Load();
    // Every exit path ends here; the process ends inside it.
    void CloseDown();
    // The window's own handlers.
    void Form_Unload();
    void Form_Click();
    void Form_KeyUp();
    void Form_LostFocus();

    // Drawing-control events.
    void FrameDue() override;
    void MouseMoved(int button, int shift, int x, int y) override;
    void MouseButton(int button, int shift, int x, int y) override;
    void KeyEvent(int16_t keyCode, int16_t shift) override;

    // From the platform: the display went off (false) or came back on (true).
    void DisplayPowerChanged(bool on);

    // True once the run has ended (CloseDown, or a display that could not be opened): nothing
    // may act afterwards (on Windows the process is gone).
    bool Closed() const { return closed_; }
    // What Load read from the store; a platform that readies its music early asks for it.
    const SceneSettings& LoadedSettings() const { return Settings; }

  private:
    // The monitor-power filter of the window's procedure starts Timer3.
    friend uint32_t FilterSceneMessage(const Module1State& module, Form1& form, uint32_t message,
                                       uintptr_t wParam);

    // Routines.
    void DrawFrame();
    void OpenDirectDrawSession();
    void OpenDirectSoundSession();
    void SoundOff();
    void MidiSoundsCheckedNext();
    void MidiSounds();
    void RotateFP();
    void GatherFP();
    int16_t GatheredFP(int16_t fp) const;
    int16_t NextFP() const;
    void ReadyFP();
    // Stops the music and the crackle and lets their devices go, as the Q key does.
    void LetSoundGo();

    // Timer ticks.
    void Timer1_Timer();
    void Timer2_Timer();
    void TimerTotal_Timer();
    void TimerMIDI_Timer();
    void Timer3_Timer();
    void TimerSleep_Timer();

    // A timer's tick handler that does nothing once the run has ended.
    std::function<void()> Ticks(void (Form1::*handler)());
    void StopTimers();

    // The controls (the platform wires their events and windows).
    TegoDDrw& TegoDDrw1;
    TegoDS& TegoDS1;
    TegoSnd& TegoSnd1;

    SceneSettings Settings;

    Timer Timer1;
    Timer Timer2;
    Timer TimerTotal;
    Timer TimerMIDI;
    Timer Timer3;
    // Our own: lets every sound go once the user has been idle as long as the power plan
    // waits before it puts the computer to sleep, since an open audio stream keeps it awake.
    Timer TimerSleep;

    int16_t InputArmed = 0;  // 16-bit Boolean: 0 or -1
    int32_t SecondsRunning = 0;
    int16_t FirstFrame = 0;  // 16-bit Boolean
    int16_t PowerOffTicks = 0;
    int16_t MoveCount = 0;
    int32_t MoveWindowStart = 0;
    int16_t CurrentTrack = 0;
    int32_t CrackleWave = 0;
    int16_t SoundOffLimit = 0;
    int32_t SoundOffCount = 0;
    int16_t RotateCount = 0;

    // Surface numbers, made once by OpenDirectDrawSession.
    std::array<int32_t, 5> StockingSurf{};  // 1..4
    int32_t PoinRSurf = 0, PoinLSurf = 0, BellRSurf = 0, BellLSurf = 0;
    int32_t CalendarSurf = 0, FlameSurf = 0, LogsSurf = 0;
    std::array<int32_t, 7> SideLSurf{}, SideRSurf{}, TopSurf{};  // styles 1..6
    std::array<int32_t, 7> MantelSurf{};                         // styles 3..6
    int32_t AndIronLSurf = 0, AndIronRSurf = 0;

    SettingsStore& store_;
    SceneHost& host_;
    Clock& clock_;
    Module1State& module_;
    bool closed_ = false;
    bool holdingPower_ = false;  // the display and the system are held on for the run
    bool sleepDue_ = false;      // the idle time has reached the sleep timeout
    bool displayOn_ = true;
};

}  // namespace hg
