#pragma once
// RIFF WAVE files of plain PCM: 8 or 16 bits, one or two channels. Anything else is refused, so
// the sound card only ever receives a format every DirectSound driver takes.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace hg {

struct WaveFormat {
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint16_t bitsPerSample = 0;
    uint16_t BlockAlign() const { return static_cast<uint16_t>(channels * bitsPerSample / 8); }
    uint32_t AvgBytesPerSec() const { return samplesPerSec * BlockAlign(); }
};

struct WaveFile {
    WaveFormat format;
    std::vector<uint8_t> samples;  // whole sample frames only
};

inline constexpr uint32_t kMinWaveRate = 1000;
inline constexpr uint32_t kMaxWaveRate = 192000;

// The wave in `bytes`, or nothing when it is not a PCM wave we can play.
std::optional<WaveFile> ParseWav(std::span<const uint8_t> bytes);

}  // namespace hg
