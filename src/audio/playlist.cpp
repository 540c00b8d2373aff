// The music playlist: a slow timer that starts the next checked track whenever nothing plays.
#include <string>

#include "scene/form1.h"

namespace hg {

namespace {

constexpr int kTracks = 36;

}  // namespace

void Form1::TimerMIDI_Timer() {
    if (Settings.PlayMusic == 1) return;
    if (TegoSnd1.IsMidiPlaying()) return;
    TimerMIDI.SetEnabled(false);
    ++CurrentTrack;
    if (CurrentTrack > kTracks || CurrentTrack < 1) CurrentTrack = 1;
    MidiSoundsCheckedNext();
    // With no checked track the search leaves the timer off: nothing plays and nothing polls
    // until the S key asks again.
    if (!TimerMIDI.Enabled()) return;
    MidiSounds();
}

void Form1::MidiSoundsCheckedNext() {
    if (Settings.PlayMusic == 1) return;
    // Only exactly 1 checks a track, so hand-edited values such as 2 count as unchecked; the
    // search gives up after one full round instead of looping for ever.
    if (CurrentTrack < 1 || CurrentTrack > kTracks) CurrentTrack = 1;
    for (int step = 0; step < kTracks; ++step) {
        if (Settings.Music[CurrentTrack] == 1) {
            TimerMIDI.SetEnabled(true);
            return;
        }
        ++CurrentTrack;
        if (CurrentTrack > kTracks) CurrentTrack = 1;
    }
}

void Form1::MidiSounds() {
    if (Settings.PlayMusic == 1) return;
    if (CurrentTrack < 0 || CurrentTrack > kTracks) CurrentTrack = 0;
    if (Settings.Music[CurrentTrack] == 1) {
        TegoSnd1.PlayMidiFile(
            Settings.InstallFolder + "Music\\midi" + std::to_string(CurrentTrack) + ".mid", 0, -1);
    }
    if (Settings.Music[CurrentTrack] == 0) ++CurrentTrack;
    TimerMIDI.SetEnabled(true);
}

}  // namespace hg
