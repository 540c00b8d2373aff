#include "writers.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>

namespace {

// stb's PNG writer chooses each row's filter; zlib's deflate packs the rows about a third
// smaller than stb's own, which matters for the high-detail twins the setup carries. Level 7:
// 8 and 9 take several times as long for a few percent less.
unsigned char* zlibCompress(unsigned char* data, int length, int* outLength, int /*quality*/) {
    uLongf size = compressBound(uLong(length));
    auto* out = static_cast<unsigned char*>(std::malloc(size));  // stb frees it with free()
    if (!out || compress2(out, &size, data, uLong(length), 7) != Z_OK) {
        std::free(out);
        return nullptr;
    }
    *outLength = int(size);
    return out;
}

}  // namespace

#define STBIW_ZLIB_COMPRESS zlibCompress
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace assetgen {

namespace {

void put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

void putInfoHeader(Bytes& b, int width, int height, int bits, uint32_t imageSize, int colours) {
    put32(b, 40);
    put32(b, uint32_t(width));
    put32(b, uint32_t(height));
    put16(b, 1);
    put16(b, uint32_t(bits));
    put32(b, 0);  // BI_RGB
    put32(b, imageSize);
    put32(b, 2835);  // 72 dpi
    put32(b, 2835);
    put32(b, uint32_t(colours));
    put32(b, 0);
}

void putFileHeader(Bytes& b, uint32_t fileSize, uint32_t dataOffset) {
    b.push_back('B');
    b.push_back('M');
    put32(b, fileSize);
    put32(b, 0);
    put32(b, dataOffset);
}

std::array<uint8_t, 3> pixelOrKey(const Image& image, int x, int y) {
    if (!image.opaque(x, y)) return {255, 0, 255};
    const uint8_t* p = image.bytes(x, y);
    return {p[0], p[1], p[2]};
}

}  // namespace

Bytes encodeBmp24(const Image& image) {
    int w = image.width(), h = image.height();
    uint32_t stride = (uint32_t(w) * 3 + 3) & ~3u;
    uint32_t size = stride * uint32_t(h);
    Bytes b;
    b.reserve(54 + size);
    putFileHeader(b, 54 + size, 54);
    putInfoHeader(b, w, h, 24, size, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            auto p = pixelOrKey(image, x, y);
            b.push_back(p[2]);
            b.push_back(p[1]);
            b.push_back(p[0]);
        }
        for (uint32_t pad = uint32_t(w) * 3; pad < stride; ++pad) b.push_back(0);
    }
    return b;
}

Bytes encodeBmp8(const Image& image) {
    int w = image.width(), h = image.height();
    // Popularity palette over 5-bit-per-channel buckets: each palette entry is
    // the mean colour of one of the most used buckets.
    struct Bucket {
        uint32_t count = 0;
        uint64_t r = 0, g = 0, b = 0;
    };
    std::map<uint32_t, Bucket> buckets;
    auto key = [](std::array<uint8_t, 3> p) {
        return uint32_t(p[0] >> 3) << 10 | uint32_t(p[1] >> 3) << 5 | uint32_t(p[2] >> 3);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            auto p = pixelOrKey(image, x, y);
            Bucket& bk = buckets[key(p)];
            bk.count++;
            bk.r += p[0];
            bk.g += p[1];
            bk.b += p[2];
        }
    std::vector<std::pair<uint32_t, uint32_t>> order;  // (count, key)
    for (auto& [k, bk] : buckets) order.push_back({bk.count, k});
    std::sort(order.begin(), order.end(), [](auto a, auto b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::vector<std::array<uint8_t, 3>> palette;
    for (size_t i = 0; i < order.size() && i < 256; ++i) {
        const Bucket& bk = buckets[order[i].second];
        palette.push_back(
            {uint8_t(bk.r / bk.count), uint8_t(bk.g / bk.count), uint8_t(bk.b / bk.count)});
    }
    auto nearest = [&](std::array<uint8_t, 3> p) {
        int best = 0, bestD = 1 << 30;
        for (size_t i = 0; i < palette.size(); ++i) {
            int dr = p[0] - palette[i][0], dg = p[1] - palette[i][1], db = p[2] - palette[i][2];
            int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (d < bestD) {
                bestD = d;
                best = int(i);
            }
        }
        return uint8_t(best);
    };
    uint32_t stride = (uint32_t(w) + 3) & ~3u;
    uint32_t size = stride * uint32_t(h);
    uint32_t offset = 54 + 256 * 4;
    Bytes b;
    putFileHeader(b, offset + size, offset);
    putInfoHeader(b, w, h, 8, size, 256);
    for (size_t i = 0; i < 256; ++i) {
        std::array<uint8_t, 3> c = i < palette.size() ? palette[i] : std::array<uint8_t, 3>{};
        b.push_back(c[2]);
        b.push_back(c[1]);
        b.push_back(c[0]);
        b.push_back(0);
    }
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) b.push_back(nearest(pixelOrKey(image, x, y)));
        for (uint32_t pad = uint32_t(w); pad < stride; ++pad) b.push_back(0);
    }
    return b;
}

std::vector<uint8_t> rgbaOf(const Image& image) {
    const int w = image.width(), h = image.height();
    std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!image.opaque(x, y)) continue;
            uint8_t* q = &rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
            const uint8_t* p = image.bytes(x, y);
            q[0] = p[0], q[1] = p[1], q[2] = p[2], q[3] = 255;
        }
    return rgba;
}

Bytes encodePng(const Image& image) {
    const int w = image.width(), h = image.height();
    const std::vector<uint8_t> rgba = rgbaOf(image);
    Bytes out;
    auto sink = [](void* context, void* data, int size) {
        auto* o = static_cast<Bytes*>(context);
        auto* d = static_cast<uint8_t*>(data);
        o->insert(o->end(), d, d + size);
    };
    if (!stbi_write_png_to_func(sink, &out, w, h, 4, rgba.data(), w * 4))
        throw std::runtime_error("cannot encode a PNG");
    return out;
}

Bytes encodeJpeg(const Image& image, int quality) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            auto p = pixelOrKey(image, x, y);
            rgb.insert(rgb.end(), p.begin(), p.end());
        }
    Bytes out;
    auto sink = [](void* context, void* data, int size) {
        auto* o = static_cast<Bytes*>(context);
        auto* d = static_cast<uint8_t*>(data);
        o->insert(o->end(), d, d + size);
    };
    stbi_write_jpg_to_func(sink, &out, image.width(), image.height(), 3, rgb.data(), quality);
    return out;
}

Bytes encodeIcon(const std::vector<Image>& images) {
    Bytes header, data;
    put16(header, 0);
    put16(header, 1);
    put16(header, uint32_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (const Image& img : images) {
        int w = img.width(), h = img.height();
        uint32_t maskStride = ((uint32_t(w) + 31) / 32) * 4;
        uint32_t size = 40 + uint32_t(w * h * 4) + maskStride * uint32_t(h);
        header.push_back(uint8_t(w));
        header.push_back(uint8_t(h));
        header.push_back(0);
        header.push_back(0);
        put16(header, 1);
        put16(header, 32);
        put32(header, size);
        put32(header, offset);
        offset += size;

        putInfoHeader(data, w, h * 2, 32, uint32_t(w * h * 4) + maskStride * uint32_t(h), 0);
        for (int y = h - 1; y >= 0; --y)
            for (int x = 0; x < w; ++x) {
                if (img.opaque(x, y)) {
                    const uint8_t* p = img.bytes(x, y);
                    data.insert(data.end(), {p[2], p[1], p[0], 255});
                } else {
                    data.insert(data.end(), {0, 0, 0, 0});
                }
            }
        for (int y = h - 1; y >= 0; --y) {
            Bytes row(maskStride, 0);
            for (int x = 0; x < w; ++x)
                if (!img.opaque(x, y)) row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
            data.insert(data.end(), row.begin(), row.end());
        }
    }
    header.insert(header.end(), data.begin(), data.end());
    return header;
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace assetgen
