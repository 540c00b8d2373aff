// The generator of the install folder's sounds: the looping fire crackle and the 36 carols.
// Everything is computed from fixed seeds, so every build writes the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace soundgen {

using Bytes = std::vector<std::uint8_t>;

inline constexpr int kTrackCount = 36;

// The complete "fire.wav": RIFF/WAVE, 16-bit PCM mono, a seamless loop.
Bytes MakeFireWav();
inline constexpr int kFireSampleRate = 44100;
inline constexpr double kFireSeconds = 12.0;

enum class TuneOrigin { Traditional, Original };

struct TrackInfo {
    int number;                // 1..36, the file "midi<number>.mid"
    const char* title;         // as the setup dialog shows it
    TuneOrigin origin;         // a traditional melody arranged, or a tune written for us
    int tempo;                 // quarter notes per minute
    const char* instruments;   // melody / accompaniment / bass, for the reader of this table
};

// Track n (1..36); throws std::out_of_range otherwise.
const TrackInfo& Track(int n);

// The Standard MIDI File (format 1) of track n.
Bytes MakeTrack(int n);

}  // namespace soundgen
