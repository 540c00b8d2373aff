#pragma once
// The arithmetic of mixing, apart from any sound card: volumes and the crackle's conversion.
#include <cstdint>
#include <vector>

#include "media/wav_file.h"

namespace hg {

// Everything is mixed as interleaved stereo float at this rate.
inline constexpr int kMixRate = 44100;

// Hundredths of a decibel (0 full, -10000 and below silent) as a linear gain.
float GainOf(int32_t hundredthsOfDb);

// The wave as interleaved stereo float at kMixRate: 8-bit samples are unsigned around 128,
// 16-bit ones signed; a mono wave is heard on both sides; other rates are resampled linearly,
// the end wrapping to the start so the loop has no click at its seam.
std::vector<float> ConvertForMixing(const WaveFile& wave);

}  // namespace hg
