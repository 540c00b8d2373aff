#include "scene/form1.h"

namespace hg {

Form1::Form1(const Form1Parts& parts)
    : TegoDDrw1(parts.ddrw),
      TegoDS1(parts.ds),
      TegoSnd1(parts.snd),
      Timer1(parts.timers, "Timer1", 1000, true, Ticks(&Form1::Timer1_Timer)),
      Timer2(parts.timers, "Timer2", 1000, true, Ticks(&Form1::Timer2_Timer)),
      TimerTotal(parts.timers, "TimerTotal", 1000, true, Ticks(&Form1::TimerTotal_Timer)),
      TimerMIDI(parts.timers, "TimerMIDI", 1050, true, Ticks(&Form1::TimerMIDI_Timer)),
      Timer3(parts.timers, "Timer3", kTimer3IntervalMs, false, Ticks(&Form1::Timer3_Timer)),
      TimerSleep(parts.timers, "TimerSleep", kTimerSleepIntervalMs, true,
                 Ticks(&Form1::TimerSleep_Timer)),
      store_(parts.store),
      host_(parts.host),
      clock_(parts.clock),
      module_(parts.module) {
    TegoDDrw1.SetEvents(this);
}

Form1::~Form1() { TegoDDrw1.SetEvents(nullptr); }

std::function<void()> Form1::Ticks(void (Form1::*handler)()) {
    // A tick that was already on its way when the run ended (a modal loop delivers them) finds
    // nothing left to do.
    return [this, handler] {
        if (!closed_) (this->*handler)();
    };
}

void Form1::StopTimers() {
    for (Timer* t : {&Timer1, &Timer2, &TimerTotal, &TimerMIDI, &Timer3, &TimerSleep})
        t->SetEnabled(false);
}

void Form1::Load() {
    host_.HookSceneWindow();
    SeedIfNeeded(store_);

    Settings.InstallFolder = kInstallFolder;
    InputArmed = 0;
    Settings.AnyFPShown = false;
    FirstFrame = -1;

    if (ReadSceneSettings(store_, Settings, module_.PwrSave)) TimerMIDI.SetEnabled(false);
    // "Disable any Power Saving settings": today's Windows turns the display off and sends the
    // computer to sleep by itself, asking no window; a request held for the run stops both.
    if (module_.PwrSave != 0) {
        host_.HoldDisplayAndSystem(true);
        holdingPower_ = true;
    }
    RotateFP();

    TegoDDrw1.SetVisible(false);
    TegoDS1.SetVisible(false);
    TegoSnd1.SetVisible(false);
    host_.HideSceneWindow();

    if (Settings.SoundOff != "Never") SoundOff();
    host_.ShowCursor(false);
    OpenDirectDrawSession();
    if (closed_) return;  // the display could not be opened and the run has ended
    OpenDirectSoundSession();
}

void Form1::CloseDown() {
    if (closed_) return;
    closed_ = true;
    host_.ShowCursor(true);
    TegoDDrw1.CloseDisplay();
    host_.SetScreenSaverRunning(false);
    if (holdingPower_) host_.HoldDisplayAndSystem(false);
    holdingPower_ = false;
    TegoSnd1.StopMidi();
    host_.CloseOtherForms();
    host_.UnloadSceneWindow();
    host_.EndProcess();
}

void Form1::Form_Unload() {
    TegoSnd1.StopMidi();
    host_.ShowCursor(true);
    TegoDS1.StopAllWaves();
}

void Form1::Form_Click() { CloseDown(); }

void Form1::Form_KeyUp() { CloseDown(); }

void Form1::Form_LostFocus() { host_.ShowCursor(true); }

}  // namespace hg
