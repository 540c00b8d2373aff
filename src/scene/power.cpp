// The scene and the computer's power: the sound that would keep it awake, and the frames that
// nobody sees while the display is off.
#include "scene/form1.h"

namespace hg {

void Form1::LetSoundGo() {
    TegoSnd1.StopMidi();
    TimerMIDI.SetEnabled(false);
    TegoDS1.StopAllWaves();
    TegoDS1.DropWave(CrackleWave);
    Settings.SoundOn = 0;
}

void Form1::TimerSleep_Timer() {
    // The user asked for the computer to stay awake, and it does: the sound may go on.
    if (module_.PwrSave != 0) return;
    const int64_t timeout = host_.SleepTimeoutSeconds();
    if (timeout <= 0) return;  // the computer never sleeps on idle
    // An open audio stream holds a request that keeps Windows awake, so a scene that sounded
    // for ever would keep the computer from ever sleeping. Once the user has been away as long
    // as the power plan waits, the sound goes and stays gone: nothing but the S key (someone is
    // back) restarts it, and then the next timeout lets it go again.
    const bool due = host_.IdleMilliseconds() >= timeout * 1000;
    if (due && !sleepDue_) LetSoundGo();
    sleepDue_ = due;
}

void Form1::DisplayPowerChanged(bool on) {
    if (closed_ || on == displayOn_) return;
    displayOn_ = on;
    TegoDDrw1.HoldFrames(!on);
    if (!on) {
        // The same countdown a monitor power-down request starts; asked not to save power, the
        // music plays on.
        if (module_.PwrSave == 0) Timer3.SetEnabled(true);
        return;
    }
    FrameDue();  // at once, not at the next tick: the picture is out of date
}

}  // namespace hg
