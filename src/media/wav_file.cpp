#include "media/wav_file.h"

#include <algorithm>

#include "media/byte_reader.h"

namespace hg {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;

std::optional<WaveFormat> ParseFormat(std::span<const uint8_t> chunk) {
    ByteReader r(chunk);
    auto tag = r.U16LE();
    auto channels = r.U16LE();
    auto rate = r.U32LE();
    if (!tag || !channels || !rate || !r.Skip(6)) return std::nullopt;  // byte rate, block align
    auto bits = r.U16LE();
    if (!bits) return std::nullopt;
    if (*tag == kFormatExtensible) {
        // The extensible header names its real format in the first two bytes of the sub-format
        // GUID; only PCM under it is the same data as a plain PCM wave.
        auto extra = r.U16LE();
        if (!extra || *extra < 22 || !r.Skip(6)) return std::nullopt;  // valid bits, channel mask
        auto sub = r.U16LE();
        if (!sub || *sub != kFormatPcm) return std::nullopt;
    } else if (*tag != kFormatPcm) {
        return std::nullopt;
    }
    if (*channels != 1 && *channels != 2) return std::nullopt;
    if (*bits != 8 && *bits != 16) return std::nullopt;
    if (*rate < kMinWaveRate || *rate > kMaxWaveRate) return std::nullopt;
    // Block align and byte rate are derived rather than trusted: a wrong header would otherwise
    // make the card read past the samples.
    return WaveFormat{*channels, *rate, *bits};
}

}  // namespace

std::optional<WaveFile> ParseWav(std::span<const uint8_t> bytes) {
    ByteReader file(bytes);
    if (!file.Tag("RIFF")) return std::nullopt;
    auto riffSize = file.U32LE();
    if (!riffSize || !file.Tag("WAVE")) return std::nullopt;
    // Many writers get the RIFF size wrong; the chunks themselves are what is bounds-checked.
    ByteReader r(bytes.subspan(file.Position()));

    std::optional<WaveFormat> format;
    std::optional<std::span<const uint8_t>> data;
    while (r.Remaining() >= 8 && (!format || !data)) {
        bool isFmt = r.Tag("fmt ");
        bool isData = !isFmt && r.Tag("data");
        if (!isFmt && !isData && !r.Skip(4)) break;
        auto size = r.U32LE();
        if (!size) break;
        if (isData && !data) {
            // A data chunk cut short by a truncated copy still plays what is there.
            data = r.Bytes(std::min<size_t>(*size, r.Remaining()));
            continue;
        }
        auto body = r.Bytes(*size);
        if (!body) return std::nullopt;
        if (isFmt && !format) {
            format = ParseFormat(*body);
            if (!format) return std::nullopt;
        }
        if (*size % 2 == 1) r.Skip(1);  // chunks are padded to even sizes
    }
    if (!format || !data) return std::nullopt;
    size_t usable = data->size() - data->size() % format->BlockAlign();
    if (usable == 0) return std::nullopt;
    WaveFile wave;
    wave.format = *format;
    wave.samples.assign(data->begin(), data->begin() + static_cast<std::ptrdiff_t>(usable));
    return wave;
}

}  // namespace hg
