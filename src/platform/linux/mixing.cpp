#include "platform/linux/mixing.h"

#include <algorithm>
#include <cmath>

#include "sound/wave_control.h"

namespace hg {

float GainOf(int32_t hundredthsOfDb) {
    if (hundredthsOfDb <= kSilentVolume) return 0.0f;
    return static_cast<float>(std::pow(10.0, std::min(hundredthsOfDb, 0) / 2000.0));
}

std::vector<float> ConvertForMixing(const WaveFile& wave) {
    const WaveFormat& f = wave.format;
    const size_t block = f.BlockAlign();
    if (block == 0 || f.samplesPerSec == 0 || (f.bitsPerSample != 8 && f.bitsPerSample != 16))
        return {};
    const size_t frames = wave.samples.size() / block;
    if (frames == 0) return {};
    auto sample = [&](size_t frame, int channel) -> float {
        const uint8_t* p = wave.samples.data() + frame * block +
                           static_cast<size_t>(channel % f.channels) * (f.bitsPerSample / 8);
        if (f.bitsPerSample == 8) return (static_cast<int>(p[0]) - 128) / 128.0f;
        return static_cast<int16_t>(p[0] | (p[1] << 8)) / 32768.0f;
    };
    const size_t outFrames =
        static_cast<size_t>(std::llround(static_cast<double>(frames) * kMixRate / f.samplesPerSec));
    std::vector<float> out(std::max<size_t>(outFrames, 1) * 2);
    const double step = static_cast<double>(f.samplesPerSec) / kMixRate;
    for (size_t i = 0; i < out.size() / 2; ++i) {
        const double at = static_cast<double>(i) * step;
        const size_t a = static_cast<size_t>(at) % frames;
        const size_t b = (a + 1) % frames;
        const float t = static_cast<float>(at - std::floor(at));
        for (int c = 0; c < 2; ++c)
            out[i * 2 + static_cast<size_t>(c)] = sample(a, c) + (sample(b, c) - sample(a, c)) * t;
    }
    return out;
}

}  // namespace hg
