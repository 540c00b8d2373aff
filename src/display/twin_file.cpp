#include "display/twin_file.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cstring>

#include "display/compositor.h"
#include "display/detail.h"

namespace hg {

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) { return U16(p) | (uint32_t{U16(p + 2)} << 16); }

}  // namespace

std::string TwinCorrectionPath(const std::string& path) { return HighDetailPath(path, ".hgtc"); }

uint32_t PictureChecksum(const Picture& picture) {
    uint32_t h = 2166136261u;
    auto add = [&h](uint32_t v) {
        for (int i = 0; i < 4; ++i) h = (h ^ ((v >> (8 * i)) & 255)) * 16777619u;
    };
    add(static_cast<uint32_t>(picture.Width()));
    add(static_cast<uint32_t>(picture.Height()));
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            add(picture.Opaque(x, y) ? picture.Row(y)[x] : 0xFF000000u);
    return h;
}

std::optional<TwinCorrectionReader> TwinCorrectionReader::Open(std::vector<uint8_t> bytes,
                                                               int width, int height,
                                                               const Picture& picture) {
    using F = TwinCorrectionFormat;
    if (bytes.size() < F::kHeaderBytes || std::memcmp(bytes.data(), F::kMagic, 4) != 0 ||
        bytes[4] != F::kVersion)
        return std::nullopt;
    const int step = bytes[6], bandRows = bytes[7];
    const int w = U16(&bytes[8]), h = U16(&bytes[10]);
    if (w != width || h != height || w <= 0 || h <= 0 || w > F::kMaxSide || h > F::kMaxSide ||
        step < 1 || bandRows < 1 || bandRows > F::kMaxBandRows ||
        U32(&bytes[12]) != PictureChecksum(picture))
        return std::nullopt;
    TwinCorrectionReader r;
    r.bytes_ = std::move(bytes);
    r.width_ = w;
    r.height_ = h;
    r.step_ = step;
    r.bandRows_ = bandRows;
    r.at_ = F::kHeaderBytes;
    // The most a row can take: every other pixel a run of one, every pixel's three bytes.
    const size_t row = 2 + 4 * ((size_t(w) + 1) / 2) + 3 * size_t(w);
    r.band_.resize(row * size_t(bandRows));
    return r;
}

bool TwinCorrectionReader::NextBand() {
    if (bytes_.size() - at_ < 4) return false;
    const uint32_t length = U32(&bytes_[at_]);
    at_ += 4;
    if (length == 0 || length > bytes_.size() - at_ || length > (1u << 30)) return false;
    const int got = stbi_zlib_decode_buffer(
        reinterpret_cast<char*>(band_.data()), static_cast<int>(band_.size()),
        reinterpret_cast<const char*>(&bytes_[at_]), static_cast<int>(length));
    at_ += length;
    if (got <= 0) return false;
    bandLength_ = static_cast<size_t>(got);
    bandAt_ = 0;
    bandLeft_ = std::min(bandRows_, height_ - row_);
    return true;
}

bool TwinCorrectionReader::NextRow(const uint8_t* predicted, uint8_t* rgba) {
    return predicted && rgba && Row(predicted, rgba);
}

bool TwinCorrectionReader::Row(const uint8_t* predicted, uint8_t* rgba) {
    if (failed_ || row_ >= height_) return false;
    if (bandLeft_ == 0 && !NextBand()) return !(failed_ = true);
    if (rgba) std::fill_n(rgba, size_t(width_) * 4, uint8_t{0});
    const uint8_t* b = band_.data();
    auto take = [&](size_t n) -> const uint8_t* {
        if (bandLength_ - bandAt_ < n) return nullptr;
        const uint8_t* p = b + bandAt_;
        bandAt_ += n;
        return p;
    };
    const uint8_t* count = take(2);
    if (!count) return !(failed_ = true);
    const int runs = U16(count);
    const uint8_t* runBytes = take(size_t(runs) * 4);
    if (!runBytes) return !(failed_ = true);
    int end = 0, pixels = 0;  // runs are in order, apart and inside the row
    for (int i = 0; i < runs; ++i) {
        const int x = U16(runBytes + i * 4), length = U16(runBytes + i * 4 + 2);
        if (length == 0 || x < end || (i > 0 && x == end) || x + length > width_)
            return !(failed_ = true);
        end = x + length;
        pixels += length;
    }
    const uint8_t* green = take(size_t(pixels) * 3);
    if (!green) return !(failed_ = true);
    const uint8_t* red = green + pixels;
    const uint8_t* blue = red + pixels;
    for (int i = 0, at = 0; predicted && i < runs; ++i) {
        const int x = U16(runBytes + i * 4), length = U16(runBytes + i * 4 + 2);
        for (int j = 0; j < length; ++j, ++at) {
            const uint8_t* from = predicted + size_t(x + j) * 4;
            uint8_t* to = rgba + size_t(x + j) * 4;
            const int g = static_cast<int8_t>(green[at]);
            const int code[3] = {g + static_cast<int8_t>(red[at]), g,
                                 g + static_cast<int8_t>(blue[at])};
            for (int c = 0; c < 3; ++c)
                to[c] = static_cast<uint8_t>(std::clamp(from[c] + code[c] * step_, 0, 255));
            to[3] = 255;
        }
    }
    ++row_;
    // A band holds exactly its rows: bytes left over mean a file not written as it claims.
    if (--bandLeft_ == 0 && bandAt_ != bandLength_) return !(failed_ = true);
    return true;
}

}  // namespace hg
