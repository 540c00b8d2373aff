// Fuzzes the MIDI reader: any bytes must give a song in time order within the length limit, or
// nothing.
#include "fuzz_target.h"
#include "media/midi_file.h"
#include "support/sound_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto song = hg::ParseMidi({data, size});
    if (song) {
        if (song->lengthUs < 0 || song->lengthUs > hg::kMaxSongUs) __builtin_trap();
        int64_t last = 0;
        for (const auto& m : song->messages) {
            if (m.timeUs < last || m.timeUs > song->lengthUs || !(m.message & 0x80) ||
                (m.message & 0xF0) == 0xF0) {
                __builtin_trap();
            }
            last = m.timeUs;
        }
    }
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    using namespace hg::test;
    Bytes notes = Cat({Event(0, {0xC0, 5}), Event(0, {0x90, 60, 100}), Event(240, {60, 0}),
                       Event(0, {0xF0, 0x02, 0x01, 0xF7}), Event(10, {0xE0, 0, 64}),
                       Event(0, {0xFF, 0x03, 0x02, 'h', 'i'})});
    return {
        Smf(0, 480, {Track(Cat({TempoEvent(0, 500000), notes}))}),
        Smf(1, 96,
            {Track(Cat({TempoEvent(0, 400000), TempoEvent(96, 600000)})), Track(notes),
             Track(notes, false)}),
        Smf(0, static_cast<uint16_t>((0x100 - 25) << 8 | 40), {Track(notes)}),
    };
}
