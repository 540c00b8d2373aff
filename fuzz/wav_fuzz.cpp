// Fuzzes the wave reader: any bytes must give a playable wave or nothing, never a bad read.
#include "fuzz_target.h"
#include "media/wav_file.h"
#include "support/sound_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto wave = hg::ParseWav({data, size});
    if (wave) {
        // What DirectSound would be handed must be self-consistent.
        const auto& f = wave->format;
        if (f.BlockAlign() == 0 || wave->samples.empty() ||
            wave->samples.size() % f.BlockAlign() != 0 || wave->samples.size() > size) {
            __builtin_trap();
        }
    }
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    using namespace hg::test;
    return {
        SimpleWave(16),
        Riff({Chunk("LIST", {1, 2, 3}), FmtChunk(1, 2, 44100, 8), Chunk("data", Bytes(9, 0x80))}),
        Riff({FmtChunk(1, 2, 48000, 16), Chunk("fact", {0, 0, 0, 0}), Chunk("data", Bytes(8, 1))}),
    };
}
