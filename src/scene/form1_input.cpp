// How the user ends the scene, and the four keys that steer the music instead.
#include <cmath>

#include "scene/form1.h"

namespace hg {

namespace {

constexpr int32_t kSecondsPerDay = 86400;
constexpr double kMoveWindowSeconds = 10;

enum Key : int16_t { kKeyN = 78, kKeyP = 80, kKeyQ = 81, kKeyS = 83 };

}  // namespace

void Form1::TimerTotal_Timer() {
    ++SecondsRunning;
    if (SecondsRunning > 2147400000) SecondsRunning = 0;
    if (SecondsRunning > 4) InputArmed = -1;
}

void Form1::MouseMoved(int button, int shift, int x, int y) {
    if (closed_ || !InputArmed) return;
    ++MoveCount;
    if (MoveCount == Settings.MouseSen) {
        CloseDown();
        return;
    }
    double now = clock_.TimeOfDay();
    if (MoveWindowStart == 0) {
        MoveWindowStart = static_cast<int32_t>(std::nearbyint(now));
    } else {
        // A window opened before midnight is measured across it, so it still closes after ten
        // seconds instead of waiting for MouseSen moves.
        double elapsed = now - MoveWindowStart;
        if (elapsed < 0) elapsed += kSecondsPerDay;
        if (elapsed > kMoveWindowSeconds) {
            MoveWindowStart = 0;
            MoveCount = 0;
        }
    }
}

void Form1::MouseButton(int button, int shift, int x, int y) {
    if (closed_) return;
    CloseDown();
}

void Form1::KeyEvent(int16_t keyCode, int16_t shift) {
    if (closed_) return;
    switch (keyCode) {
        case kKeyN:
            TegoSnd1.StopMidi();
            break;
        case kKeyP:
            CurrentTrack = static_cast<int16_t>(CurrentTrack - 2);
            if (CurrentTrack < 1) CurrentTrack = 35;
            TegoSnd1.StopMidi();
            break;
        case kKeyQ:
            LetSoundGo();
            break;
        case kKeyS:
            // Never below 0: the next tick adds one back, and the track table starts at 0.
            if (CurrentTrack > 0) --CurrentTrack;
            TimerMIDI.SetEnabled(true);
            Settings.SoundOn = 1;
            OpenDirectSoundSession();
            break;
        default:
            TegoDS1.StopAllWaves();
            TegoDS1.DropWave(CrackleWave);
            CloseDown();
            break;
    }
}

}  // namespace hg
