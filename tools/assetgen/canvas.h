// Pixel canvas and the procedural building blocks shared by all pictures.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace assetgen {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb mix(Rgb a, Rgb b, float t) { return a + (b - a) * t; }

float clamp01(float v);
float smoothstep(float e0, float e1, float x);

// An image whose pixels are either opaque colours or holes. Holes become the
// colour key when written out.
class Image {
public:
    Image() = default;
    Image(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    void set(int x, int y, Rgb c);  // components 0..255, clamped
    void clear(int x, int y);
    bool opaque(int x, int y) const { return alpha_[index(x, y)] != 0; }
    Rgb get(int x, int y) const;
    // Exact 8-bit components of an opaque pixel (never the key colour).
    const uint8_t* bytes(int x, int y) const { return &rgb_[index(x, y) * 3]; }

    // Copies the opaque pixels of src with its top-left at (x, y), clipped.
    void blit(const Image& src, int x, int y);
    // Area-averaged resample of the whole image (holes count as black).
    Image resized(int width, int height) const;

private:
    size_t index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }
    int width_ = 0, height_ = 0;
    std::vector<uint8_t> rgb_;
    std::vector<uint8_t> alpha_;
};

// Deterministic hashing and noise: the same numbers on every run and build.
uint32_t hash(int32_t x, int32_t y, uint32_t seed);
float hash01(int32_t x, int32_t y, uint32_t seed);

class Prng {
public:
    explicit Prng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t next();
    float uniform(float lo, float hi);
    int range(int lo, int hi);  // inclusive

private:
    uint64_t state_;
};

// Smooth value noise in [0,1]; a period of 0 means no wrap on that axis.
float noise(float x, float y, uint32_t seed, int periodX = 0, int periodY = 0);
float fbm(float x, float y, uint32_t seed, int octaves, int periodX = 0, int periodY = 0);

struct Voronoi {
    float f1, f2;  // distances to the nearest and second nearest feature point
    int cellX, cellY;
};
// Jittered-grid cells of size cellW x cellH.
Voronoi voronoi(float x, float y, float cellW, float cellH, uint32_t seed);

// Lambert term of a height field's slope under a light from the upper left.
float reliefLight(float dhdx, float dhdy, float strength);

}  // namespace assetgen
