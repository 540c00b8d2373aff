#pragma once
// Standard MIDI Files reduced to what a player needs: every channel message on one time line in
// microseconds, and the length of the piece after its tempo map.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace hg {

struct TimedMidiMessage {
    int64_t timeUs = 0;
    // Packed as midiOutShortMsg takes it: status in the low byte, then the two data bytes.
    uint32_t message = 0;
};

struct MidiSong {
    std::vector<TimedMidiMessage> messages;  // in time order; equal times keep file order
    int64_t lengthUs = 0;                    // to the last event of any track
};

// Longer than this is a broken file, not a carol; refusing it keeps a bogus tempo map from
// making the player report "playing" for days.
inline constexpr int64_t kMaxSongUs = 4LL * 3600 * 1000000;

// The song in `bytes`, or nothing when the file is malformed anywhere.
std::optional<MidiSong> ParseMidi(std::span<const uint8_t> bytes);

}  // namespace hg
