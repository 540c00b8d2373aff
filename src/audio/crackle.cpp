// The crackle: loading and starting it, and the sound-off countdown that silences the scene.
#include "common/number_text.h"
#include "scene/form1.h"

namespace hg {

void Form1::OpenDirectSoundSession() {
    TegoDS1.DropWave(CrackleWave);
    CrackleWave = TegoDS1.LoadWave(Settings.InstallFolder + "fire.wav");
    if (Settings.SoundOn == 1) {
        TegoDS1.PlayWaveLooped(CrackleWave);
        TegoDS1.SetWaveVolume(CrackleWave, Settings.Vol);
        TegoDS1.TuneWave(CrackleWave, 0);
    }
}

void Form1::SoundOff() {
    static constexpr int kMinutes[] = {1,  2,  3,   4,   5,   10,  15,  20,  30, 45,
                                       60, 90, 120, 180, 240, 300, 360, 420, 480};
    auto value = ParseNumber(Settings.SoundOff);
    if (!value) return;
    for (int m : kMinutes) {
        if (*value == m) {
            SoundOffLimit = static_cast<int16_t>(m * 60);
            return;
        }
    }
}

void Form1::Timer2_Timer() {
    if (Settings.SoundOff == "Never") return;
    ++SoundOffCount;
    if (SoundOffCount >= SoundOffLimit) {
        TegoDS1.StopAllWaves();
        TegoDS1.DropWave(CrackleWave);
        TimerMIDI.SetEnabled(false);
        TegoSnd1.StopMidi();
        Settings.SoundOn = 0;
    }
    if (SoundOffCount > 86398) SoundOffCount = 0;
}

}  // namespace hg
