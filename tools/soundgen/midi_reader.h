// A small, bounds-checked reader of Standard MIDI Files, enough to check what we write:
// the header, every track chunk, running status, note pairs and the tempo map.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "soundgen/soundgen.h"

namespace soundgen {

struct MidiEvent {
    std::uint64_t tick;    // absolute
    std::uint8_t status;   // 0xFF for meta, 0xF0/0xF7 for sysex
    std::uint8_t meta;     // meta type when status is 0xFF
    std::uint8_t data1;
    std::uint8_t data2;
    std::vector<std::uint8_t> payload;  // meta or sysex data
};

struct MidiFile {
    int format = 0;
    int division = 0;  // ticks per quarter note
    std::vector<std::vector<MidiEvent>> tracks;
};

// nullopt and a reason when the bytes are not a well-formed file.
std::optional<MidiFile> ReadMidi(const Bytes& bytes, std::string* error = nullptr);

// Playing time up to the last event of any track, following every tempo change.
double DurationSeconds(const MidiFile& file);

}  // namespace soundgen
