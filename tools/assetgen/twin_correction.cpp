#include "twin_correction.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "display/compositor.h"
#include "display/detail.h"
#include "display/twin_file.h"

namespace assetgen {

namespace {

// The picture as the program holds it once it has read the bitmap: holes are the key colour
// there, which the painter never uses.
std::shared_ptr<const hg::Picture> asProgramReadsIt(const Image& picture) {
    const int w = picture.width(), h = picture.height();
    const std::vector<uint8_t> rgba = rgbaOf(picture);
    return hg::Picture::FromRgba(rgba.data(), w, h, hg::KeyColour(-1), w, h);
}

void put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

}  // namespace

Bytes encodeTwinCorrection(const Image& twin, const Image& picture, int step) {
    using F = hg::TwinCorrectionFormat;
    const int w = twin.width(), h = twin.height();
    if (w > F::kMaxSide || h > F::kMaxSide || picture.width() == 0 || w % picture.width() != 0 ||
        w / picture.width() != h / picture.height())
        throw std::runtime_error("a twin that is not its picture enlarged");
    const int detail = w / picture.width();
    const auto program = asProgramReadsIt(picture);
    const hg::Enlarger enlarger(*program, detail);
    Bytes out(F::kMagic, F::kMagic + 4);
    out.push_back(F::kVersion);
    out.push_back(uint8_t(detail));
    out.push_back(uint8_t(step));
    out.push_back(uint8_t(kTwinBandRows));
    put16(out, uint32_t(w));
    put16(out, uint32_t(h));
    const uint32_t checksum = hg::PictureChecksum(*program);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(checksum >> (8 * i)));
    std::vector<uint8_t> predicted(size_t(w) * 4);
    for (int top = 0; top < h; top += kTwinBandRows) {
        Bytes band;
        for (int y = top; y < std::min(h, top + kTwinBandRows); ++y) {
            enlarger.Row(y, predicted.data());
            Bytes runs, green, red, blue;
            int count = 0;
            for (int x = 0; x < w;) {
                if (!twin.opaque(x, y)) {
                    ++x;
                    continue;
                }
                int end = x;
                while (end < w && twin.opaque(end, y)) {
                    int code[3];
                    for (int c = 0; c < 3; ++c) {
                        const int difference = int(twin.bytes(end, y)[c]) - predicted[end * 4 + c];
                        // Rounded to the nearest step; the reader's clamp to 0..255 only comes
                        // nearer the painting, which lies within it.
                        code[c] = std::clamp(int(std::lround(double(difference) / step)), -63, 63);
                    }
                    green.push_back(uint8_t(int8_t(code[1])));
                    red.push_back(uint8_t(int8_t(code[0] - code[1])));
                    blue.push_back(uint8_t(int8_t(code[2] - code[1])));
                    ++end;
                }
                put16(runs, uint32_t(x));
                put16(runs, uint32_t(end - x));
                ++count;
                x = end;
            }
            put16(band, uint32_t(count));
            band.insert(band.end(), runs.begin(), runs.end());
            for (const Bytes* plane : {&green, &red, &blue})
                band.insert(band.end(), plane->begin(), plane->end());
        }
        uLongf size = compressBound(uLong(band.size()));
        Bytes packed(size);
        if (compress2(packed.data(), &size, band.data(), uLong(band.size()), 9) != Z_OK)
            throw std::runtime_error("cannot compress a twin");
        packed.resize(size);
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(size >> (8 * i)));
        out.insert(out.end(), packed.begin(), packed.end());
    }
    return out;
}

int coarsestTwinStep(const Image& twin, const Image& picture, double minPsnr, int maxStep) {
    const int w = twin.width(), h = twin.height();
    const int detail = picture.width() ? w / picture.width() : 0;
    if (detail < 1) return 1;
    const auto program = asProgramReadsIt(picture);
    const hg::Enlarger enlarger(*program, detail);
    // How often each difference occurs, so each step's error is counted without encoding.
    std::vector<uint64_t> counts(511, 0);
    std::vector<uint8_t> predicted(size_t(w) * 4);
    uint64_t channels = 0;
    for (int y = 0; y < h; ++y) {
        enlarger.Row(y, predicted.data());
        for (int x = 0; x < w; ++x) {
            if (!twin.opaque(x, y)) continue;
            for (int c = 0; c < 3; ++c)
                ++counts[size_t(int(twin.bytes(x, y)[c]) - predicted[x * 4 + c] + 255)];
            channels += 3;
        }
    }
    for (int step = maxStep; step > 1; --step) {
        double squares = 0;
        for (int d = -255; d <= 255; ++d) {
            // As the encoder codes it; the reader's clamp to 0..255 can only lessen the error.
            const long code = std::clamp(std::lround(double(d) / step), -63L, 63L);
            const double e = double(d - code * step);
            squares += e * e * double(counts[size_t(d + 255)]);
        }
        if (channels == 0 || squares == 0 ||
            10 * std::log10(255.0 * 255.0 * double(channels) / squares) >= minPsnr)
            return step;
    }
    return 1;
}

Image decodeTwinCorrection(const Bytes& file, const Image& picture, int detail) {
    const int w = picture.width() * detail, h = picture.height() * detail;
    const auto program = asProgramReadsIt(picture);
    auto reader = hg::TwinCorrectionReader::Open(file, w, h, *program);
    if (!reader) return {};
    const hg::Enlarger enlarger(*program, detail);
    std::vector<uint8_t> predicted(size_t(w) * 4), row(size_t(w) * 4);
    Image out(w, h);
    for (int y = 0; y < h; ++y) {
        enlarger.Row(y, predicted.data());
        if (!reader->NextRow(predicted.data(), row.data())) return {};
        for (int x = 0; x < w; ++x)
            if (row[x * 4 + 3] != 0)
                out.set(x, y, {float(row[x * 4]), float(row[x * 4 + 1]), float(row[x * 4 + 2])});
    }
    return out;
}

TwinFidelity twinFidelity(const Bytes& file, const Image& twin, const Image& picture) {
    TwinFidelity f;
    const int detail = picture.width() ? twin.width() / picture.width() : 0;
    const Image read = decodeTwinCorrection(file, picture, detail);
    if (read.width() != twin.width() || read.height() != twin.height()) return f;
    f.read = true;
    f.holesExact = true;
    double squares = 0;
    size_t channels = 0;
    for (int y = 0; y < twin.height(); ++y)
        for (int x = 0; x < twin.width(); ++x) {
            if (read.opaque(x, y) != twin.opaque(x, y)) f.holesExact = false;
            if (!read.opaque(x, y) || !twin.opaque(x, y)) continue;
            for (int c = 0; c < 3; ++c) {
                const int d = int(read.bytes(x, y)[c]) - int(twin.bytes(x, y)[c]);
                squares += double(d) * d;
                f.maxError = std::max(f.maxError, std::abs(d));
                ++channels;
            }
        }
    const double mse = channels ? squares / double(channels) : 0;
    f.psnr =
        mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : std::numeric_limits<double>::infinity();
    return f;
}

}  // namespace assetgen
