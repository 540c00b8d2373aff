#include "canvas.h"

#include <algorithm>

namespace assetgen {

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

Image::Image(int width, int height)
    : width_(width), height_(height),
      rgb_(static_cast<size_t>(width) * height * 3, 0),
      alpha_(static_cast<size_t>(width) * height, 0) {}

static uint8_t toByte(float v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return static_cast<uint8_t>(v + 0.5f);
}

void Image::set(int x, int y, Rgb c) {
    size_t i = index(x, y);
    uint8_t r = toByte(c.r), g = toByte(c.g), b = toByte(c.b);
    // A painted pixel must never read back as the transparent key.
    if (r == 255 && g == 0 && b == 255) g = 8;
    rgb_[i * 3] = r;
    rgb_[i * 3 + 1] = g;
    rgb_[i * 3 + 2] = b;
    alpha_[i] = 1;
}

void Image::clear(int x, int y) {
    size_t i = index(x, y);
    rgb_[i * 3] = rgb_[i * 3 + 1] = rgb_[i * 3 + 2] = 0;
    alpha_[i] = 0;
}

Rgb Image::get(int x, int y) const {
    const uint8_t* p = bytes(x, y);
    return {float(p[0]), float(p[1]), float(p[2])};
}

void Image::blit(const Image& src, int x, int y) {
    for (int sy = 0; sy < src.height(); ++sy)
        for (int sx = 0; sx < src.width(); ++sx)
            if (src.opaque(sx, sy) && inside(x + sx, y + sy)) set(x + sx, y + sy, src.get(sx, sy));
}

Image Image::resized(int width, int height) const {
    Image out(width, height);
    for (int y = 0; y < height; ++y) {
        int y0 = y * height_ / height, y1 = std::max(y0 + 1, (y + 1) * height_ / height);
        for (int x = 0; x < width; ++x) {
            int x0 = x * width_ / width, x1 = std::max(x0 + 1, (x + 1) * width_ / width);
            Rgb sum;
            for (int yy = y0; yy < y1; ++yy)
                for (int xx = x0; xx < x1; ++xx) sum = sum + get(xx, yy);
            out.set(x, y, sum * (1.0f / float((x1 - x0) * (y1 - y0))));
        }
    }
    return out;
}

uint32_t hash(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^
                 static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float hash01(int32_t x, int32_t y, uint32_t seed) {
    return float(hash(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

uint32_t Prng::next() {
    // splitmix64
    state_ += 0x9E3779B97F4A7C15ull;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

float Prng::uniform(float lo, float hi) {
    return lo + (hi - lo) * float(next() >> 8) * (1.0f / 16777216.0f);
}

int Prng::range(int lo, int hi) { return lo + int(next() % uint32_t(hi - lo + 1)); }

static int wrap(int v, int period) {
    if (period <= 0) return v;
    int m = v % period;
    return m < 0 ? m + period : m;
}

float noise(float x, float y, uint32_t seed, int periodX, int periodY) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    int x0 = wrap(ix, periodX), x1 = wrap(ix + 1, periodX);
    int y0 = wrap(iy, periodY), y1 = wrap(iy + 1, periodY);
    float a = hash01(x0, y0, seed), b = hash01(x1, y0, seed);
    float c = hash01(x0, y1, seed), d = hash01(x1, y1, seed);
    float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float fbm(float x, float y, uint32_t seed, int octaves, int periodX, int periodY) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * noise(x, y, seed + uint32_t(o) * 131u, periodX, periodY);
        norm += amp;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}

Voronoi voronoi(float x, float y, float cellW, float cellH, uint32_t seed) {
    float gx = x / cellW, gy = y / cellH;
    int cx = int(std::floor(gx)), cy = int(std::floor(gy));
    Voronoi v{1e9f, 1e9f, 0, 0};
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
            int px = cx + i, py = cy + j;
            float fx = (float(px) + 0.1f + 0.8f * hash01(px, py, seed)) * cellW;
            float fy = (float(py) + 0.1f + 0.8f * hash01(px, py, seed + 7)) * cellH;
            float d = std::hypot(fx - x, fy - y);
            if (d < v.f1) {
                v.f2 = v.f1;
                v.f1 = d;
                v.cellX = px;
                v.cellY = py;
            } else if (d < v.f2) {
                v.f2 = d;
            }
        }
    return v;
}

float reliefLight(float dhdx, float dhdy, float strength) {
    float nx = -dhdx * strength, ny = -dhdy * strength, nz = 1;
    float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    // Light from the upper left and in front.
    const float lx = -0.45f, ly = -0.55f, lz = 0.70f;
    float d = (nx * lx + ny * ly + nz * lz) / len;
    return d < 0 ? 0 : d;
}

}  // namespace assetgen
