// The music playlist: a slow timer that starts the next checked track whenever nothing plays.
#include <string>

#include "scene/form1.h"

namespace hg {

namespace {

constexpr int kTracks = 36;

// The one range rule of the current track: a number past 36, or below 1 (0 before the first
// track, or wherever the keys left it), goes on from track 1. So `Music` is only ever read at
// a track that exists.
int16_t OnATrack(int track) {
    return static_cast<int16_t>(track < 1 || track > kTracks ? 1 : track);
}

}  // namespace

void Form1::TimerMIDI_Timer() {
    if (Settings.PlayMusic == 1) return;
    if (TegoSnd1.IsMidiPlaying()) return;
    TimerMIDI.SetEnabled(false);
    CurrentTrack = OnATrack(CurrentTrack + 1);
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
    CurrentTrack = OnATrack(CurrentTrack);
    for (int step = 0; step < kTracks; ++step) {
        if (Settings.Music[CurrentTrack] == 1) {
            TimerMIDI.SetEnabled(true);
            return;
        }
        CurrentTrack = OnATrack(CurrentTrack + 1);
    }
}

void Form1::MidiSounds() {
    if (Settings.PlayMusic == 1) return;
    CurrentTrack = OnATrack(CurrentTrack);
    if (Settings.Music[CurrentTrack] == 1) {
        TegoSnd1.PlayMidiFile(
            Settings.InstallFolder + "Music\\midi" + std::to_string(CurrentTrack) + ".mid", 0, -1);
    }
    if (Settings.Music[CurrentTrack] == 0) ++CurrentTrack;
    TimerMIDI.SetEnabled(true);
}

}  // namespace hg
