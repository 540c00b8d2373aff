#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "soundgen/prng.h"
#include "soundgen/soundgen.h"

namespace soundgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

// One-pole low-pass run twice round a circular buffer: the second pass starts from the state
// the first one ended in, so the output wraps from its last sample to its first without a step.
std::vector<double> CircularLowPass(const std::vector<double>& in, double cutoffHz, double rate) {
    const double a = std::exp(-2.0 * kPi * cutoffHz / rate);
    std::vector<double> out(in.size());
    double y = 0.0;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < in.size(); ++i) {
            y = a * y + (1.0 - a) * in[i];
            out[i] = y;
        }
    }
    return out;
}

std::vector<double> WhiteNoise(Prng& rng, std::size_t n) {
    std::vector<double> v(n);
    for (double& s : v) s = rng.Range(-1.0, 1.0);
    return v;
}

// A slow swell of the bed made only of whole cycles over the loop, so it also wraps cleanly.
double Swell(std::size_t i, std::size_t n) {
    const double t = static_cast<double>(i) / static_cast<double>(n);
    return 1.0 + 0.25 * std::sin(2.0 * kPi * 3.0 * t) + 0.15 * std::sin(2.0 * kPi * 7.0 * t + 1.3) +
           0.08 * std::sin(2.0 * kPi * 17.0 * t + 0.4);
}

// One pop of burning wood: a burst of coloured noise with an instant attack and an exponential
// decay. Brightness moves the burst from a dull thud to a sharp snap.
void AddPop(std::vector<double>& out, Prng& rng, std::size_t at, double amp, double decayMs,
            double brightness, double rate) {
    const std::size_t len = static_cast<std::size_t>(decayMs * 6.0 * rate / 1000.0);
    const double lpA = std::exp(-2.0 * kPi * (800.0 + 7000.0 * brightness) / rate);
    const double hpA = std::exp(-2.0 * kPi * 250.0 / rate);
    double lp = 0.0, hpState = 0.0;
    for (std::size_t k = 0; k < len && at + k < out.size(); ++k) {
        const double env = std::exp(-static_cast<double>(k) * 1000.0 / (decayMs * rate));
        lp = lpA * lp + (1.0 - lpA) * rng.Range(-1.0, 1.0);
        hpState = hpA * hpState + (1.0 - hpA) * lp;
        out[at + k] += amp * env * (lp - hpState) * 3.0;
    }
}

void PutLe16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutLe32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}
void PutTag(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

Bytes WaveFile(const std::vector<std::int16_t>& samples, int rate) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    Bytes b;
    b.reserve(44 + dataBytes);
    PutTag(b, "RIFF");
    PutLe32(b, 36 + dataBytes);
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    PutLe32(b, 16);
    PutLe16(b, 1);  // PCM
    PutLe16(b, 1);  // mono
    PutLe32(b, static_cast<std::uint32_t>(rate));
    PutLe32(b, static_cast<std::uint32_t>(rate * 2));
    PutLe16(b, 2);
    PutLe16(b, 16);
    PutTag(b, "data");
    PutLe32(b, dataBytes);
    for (std::int16_t s : samples) PutLe16(b, static_cast<std::uint16_t>(s));
    return b;
}

}  // namespace

Bytes MakeFireWav() {
    const double rate = kFireSampleRate;
    const std::size_t n = static_cast<std::size_t>(kFireSeconds * rate);
    Prng rng(0x46495245u);  // "FIRE"

    // The bed: a warm roar (deep low-pass) under a soft hiss (what the low-pass leaves out).
    const std::vector<double> white = WhiteNoise(rng, n);
    const std::vector<double> roar = CircularLowPass(CircularLowPass(white, 180.0, rate), 400.0, rate);
    const std::vector<double> hissLow = CircularLowPass(white, 3000.0, rate);
    const std::vector<double> hissLower = CircularLowPass(white, 1200.0, rate);
    std::vector<double> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double hiss = hissLow[i] - hissLower[i];
        out[i] = Swell(i, n) * (roar[i] * 2.2 + hiss * 0.10);
    }

    // Pops are kept off both ends so that none is cut by the seam of the loop.
    const std::size_t headGuard = static_cast<std::size_t>(0.05 * rate);
    const std::size_t tailGuard = static_cast<std::size_t>(0.40 * rate);
    std::size_t at = headGuard + static_cast<std::size_t>(rng.Range(0.0, 0.2) * rate);
    while (at + tailGuard < n) {
        const double kind = rng.Unit();
        if (kind < 0.06) {
            // A big crack: a loud report and a short rattle of splinters after it.
            AddPop(out, rng, at, rng.Range(0.55, 0.8), rng.Range(12.0, 25.0), rng.Range(0.5, 0.9), rate);
            const int splinters = rng.Int(2, 5);
            std::size_t t = at;
            for (int s = 0; s < splinters; ++s) {
                t += static_cast<std::size_t>(rng.Range(0.008, 0.035) * rate);
                AddPop(out, rng, t, rng.Range(0.12, 0.35), rng.Range(1.5, 5.0), rng.Range(0.6, 1.0), rate);
            }
        } else if (kind < 0.45) {
            // A tiny bright tick.
            AddPop(out, rng, at, rng.Range(0.05, 0.18), rng.Range(0.6, 2.0), rng.Range(0.7, 1.0), rate);
        } else if (kind < 0.75) {
            // A pair or triplet of snaps in quick succession, as sap boils out.
            const int count = rng.Int(2, 3);
            std::size_t t = at;
            for (int s = 0; s < count; ++s) {
                AddPop(out, rng, t, rng.Range(0.1, 0.3), rng.Range(1.0, 4.0), rng.Range(0.5, 1.0), rate);
                t += static_cast<std::size_t>(rng.Range(0.01, 0.06) * rate);
            }
        } else {
            // A soft, duller pop.
            AddPop(out, rng, at, rng.Range(0.15, 0.35), rng.Range(4.0, 9.0), rng.Range(0.1, 0.4), rate);
        }
        // Irregular spacing: mostly short gaps, sometimes a lull.
        const double gap = rng.Unit() < 0.15 ? rng.Range(0.35, 0.9) : rng.Range(0.03, 0.25);
        at += static_cast<std::size_t>(gap * rate);
    }

    double peak = 0.0;
    for (double s : out) peak = std::max(peak, std::abs(s));
    const double gain = peak > 0.0 ? 0.89 / peak : 0.0;
    std::vector<std::int16_t> pcm(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double v = std::clamp(out[i] * gain, -1.0, 1.0);
        pcm[i] = static_cast<std::int16_t>(std::lround(v * 32767.0));
    }
    return WaveFile(pcm, kFireSampleRate);
}

}  // namespace soundgen
