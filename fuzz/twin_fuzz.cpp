// Fuzzes the reader of the shipped twins: any bytes must give whole rows or stop, never a read
// or a write outside what it was given.
#include <cstring>

#include "display/compositor.h"
#include "display/detail.h"
#include "display/twin_file.h"
#include "fuzz_target.h"

namespace {

constexpr int kW = 5, kH = 4, kDetail = 3;

// A small picture with a hole, the same on every run.
std::shared_ptr<const hg::Picture> Small() {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < kW * kH; ++i)
        rgba.insert(rgba.end(), {uint8_t(i * 13), uint8_t(200 - i * 7), uint8_t(i * 31),
                                 uint8_t(i % 7 == 3 ? 0 : 255)});
    return hg::Picture::FromRgba(rgba.data(), kW, kH, -1);
}

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A zlib stream of one stored block: what a band looks like, without a compressor.
std::vector<uint8_t> Stored(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> z = {0x78, 0x01, 0x01};
    Put16(z, uint32_t(data.size()));
    Put16(z, uint32_t(~data.size() & 0xFFFF));
    z.insert(z.end(), data.begin(), data.end());
    uint32_t a = 1, b = 0;
    for (uint8_t c : data) a = (a + c) % 65521, b = (b + a) % 65521;
    for (int i = 3; i >= 0; --i) z.push_back(uint8_t(((b << 16) | a) >> (8 * i)));
    return z;
}

// A correction of Small() in bands of `bandRows`: one run a row of `runLength` pixels at 1.
std::vector<uint8_t> Correction(int bandRows, int runLength, int8_t code) {
    const int w = kW * kDetail, h = kH * kDetail;
    std::vector<uint8_t> f = {'H', 'G', 'T', 'C', 1, kDetail, 4, uint8_t(bandRows)};
    Put16(f, w);
    Put16(f, h);
    Put32(f, hg::PictureChecksum(*Small()));
    for (int top = 0; top < h; top += bandRows) {
        std::vector<uint8_t> band;
        for (int y = top; y < std::min(h, top + bandRows); ++y) {
            Put16(band, 1);
            Put16(band, 1);
            Put16(band, uint32_t(runLength));
            band.insert(band.end(), size_t(runLength) * 3, uint8_t(code));
        }
        const std::vector<uint8_t> z = Stored(band);
        Put32(f, uint32_t(z.size()));
        f.insert(f.end(), z.begin(), z.end());
    }
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const auto picture = Small();
    std::vector<uint8_t> bytes(data, data + size);
    // Mutations elsewhere than the checksum are what reach the rows.
    if (bytes.size() >= 16) {
        const uint32_t sum = hg::PictureChecksum(*picture);
        for (int i = 0; i < 4; ++i) bytes[12 + i] = uint8_t(sum >> (8 * i));
    }
    auto reader =
        hg::TwinCorrectionReader::Open(std::move(bytes), kW * kDetail, kH * kDetail, *picture);
    if (!reader) return 0;
    const hg::Enlarger enlarged(*picture, kDetail);
    std::vector<uint8_t> predicted(size_t(kW) * kDetail * 4), row(predicted.size());
    for (int y = 0; y < kH * kDetail; ++y) {
        enlarged.Row(y, predicted.data());
        if (!reader->NextRow(predicted.data(), row.data())) break;
        for (size_t x = 3; x < row.size(); x += 4)
            if (row[x] != 0 && row[x] != 255) __builtin_trap();
    }
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    return {Correction(32, 3, 1), Correction(5, kW * kDetail - 1, -2), Correction(1, 14, 63)};
}
