#include "display/stage.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "display/scaler.h"

namespace hg {

namespace {

constexpr int kW = Compositor::kWidth, kH = Compositor::kHeight;
// Logical pixels over which the fire's light on the wall fades.
constexpr double kGlowReach = 280.0;
constexpr uint32_t kPlainWall = 0x3A2A22;

// Red and blue share one multiply, their lanes sixteen bits apart; `w` from 0 to 256.
inline uint32_t Blend(uint32_t a, uint32_t b, uint32_t w) {
    const uint32_t v = 256 - w;
    const uint32_t rb = ((a & 0xFF00FF) * v + (b & 0xFF00FF) * w) >> 8;
    const uint32_t g = ((a & 0xFF00) * v + (b & 0xFF00) * w) >> 8;
    return (rb & 0xFF00FF) | (g & 0xFF00);
}

// The fire's light at a distance from the hearth, as multipliers of red, green and blue in
// 1/256ths: the wall is darker away from the fire, and warmer near it.
struct Light {
    uint32_t r, g, b;
};

Light LightAt(double distance) {
    const double glow = std::exp(-distance / kGlowReach);
    const double light = 0.58 + 0.42 * glow;
    auto in256 = [](double f) { return static_cast<uint32_t>(std::lround(f * 256)); };
    return {in256(light + 0.12 * glow), in256(light + 0.02 * glow), in256(light - 0.08 * glow)};
}

inline uint32_t Lit(uint32_t p, const Light& l) {
    const uint32_t r = std::min<uint32_t>(255, ((p >> 16) & 255) * l.r >> 8);
    const uint32_t g = std::min<uint32_t>(255, ((p >> 8) & 255) * l.g >> 8);
    const uint32_t b = std::min<uint32_t>(255, (p & 255) * l.b >> 8);
    return r << 16 | g << 8 | b;
}

// One tap of the bilinear filter: two neighbouring strip pixels and the weight of the second.
struct Tap {
    int a, b;
    uint32_t w;
};

}  // namespace

Stage Stage::For(int width, int height, const Area& primary) {
    Stage s;
    s.width = std::max(0, width);
    s.height = std::max(0, height);
    Area room = primary.Intersect({0, 0, s.width, s.height});
    if (room.Empty()) room = {0, 0, s.width, s.height};
    if (room.Empty()) return s;
    const int64_t w = room.Width(), h = room.Height();
    int hw, hh;
    // Compare w/800 with h/600 without fractions: the narrower side decides the scale.
    if (w * kH <= h * kW) {
        hw = room.Width();
        hh = static_cast<int>(w * kH / kW);
    } else {
        hh = room.Height();
        hw = static_cast<int>(h * kW / kH);
    }
    s.hearth.left = room.left + (room.Width() - hw) / 2;
    s.hearth.top = room.top + (room.Height() - hh) / 2;
    s.hearth.right = s.hearth.left + hw;
    s.hearth.bottom = s.hearth.top + hh;
    return s;
}

double Stage::Scale() const { return hearth.Empty() ? 1.0 : hearth.Width() / double{kW}; }

int Stage::LogicalX(int windowX) const {
    if (hearth.Empty()) return windowX;
    return static_cast<int>(
        std::floor(double(int64_t{windowX} - hearth.left) * kW / hearth.Width()));
}

int Stage::LogicalY(int windowY) const {
    if (hearth.Empty()) return windowY;
    return static_cast<int>(
        std::floor(double(int64_t{windowY} - hearth.top) * kH / hearth.Height()));
}

void PaintWall(const Picture* tile, const Stage& stage, const ScreenImage& image) {
    if (!image.pixels || stage.hearth.Empty()) return;
    if (tile && tile->Empty()) tile = nullptr;
    const int tw = tile ? tile->Width() : 1, th = tile ? tile->Height() : 1;
    const double scale = stage.Scale();
    const double toTile = tile ? double(th) / kH : 1.0;
    const Area& h = stage.hearth;
    const Area painted = image.Bounds().Intersect({0, 0, stage.width, stage.height});
    if (painted.Empty()) return;
    // Window columns and rows from 0 up to the painted area's right and bottom: the columns'
    // taps are few beside the rows' pixels.
    const int width = painted.right;
    // Sideways the strip repeats, mirrored on the left of the hearth; the distance from the
    // hearth decides the light. Both depend on the column alone.
    std::vector<Tap> columns(static_cast<size_t>(std::max(0, width)));
    std::vector<double> across(columns.size());
    for (int x = painted.left; x < width; ++x) {
        const double lx = (x + 0.5 - h.left) / scale;
        const double d = lx < 0 ? -lx : (lx > kW ? lx - kW : 0);
        const double u = (d > 0 ? d : lx) * toTile - 0.5;
        const double fu = std::floor(u);
        auto wrap = [tw](double v) {
            return static_cast<int>(((static_cast<int64_t>(v) % tw) + tw) % tw);
        };
        columns[x] = {wrap(fu), wrap(fu + 1), static_cast<uint32_t>((u - fu) * 256)};
        across[x] = d;
    }
    std::vector<Light> besideLight(columns.size());
    for (int x = painted.left; x < width; ++x) besideLight[x] = LightAt(across[x]);
    std::vector<uint32_t> strip(static_cast<size_t>(tw));
    for (int y = painted.top; y < painted.bottom; ++y) {
        // Up and down the strip is held at its top and bottom rows.
        const double ly = (y + 0.5 - h.top) / scale;
        const double v = std::clamp(ly * toTile - 0.5, 0.0, double(th - 1));
        const int y0 = static_cast<int>(v), y1 = std::min(th - 1, y0 + 1);
        const uint32_t wy = static_cast<uint32_t>((v - y0) * 256);
        for (int x = 0; x < tw; ++x)
            strip[x] = tile ? Blend(tile->Row(y0)[x], tile->Row(y1)[x], wy) : kPlainWall;
        const double down = ly < 0 ? -ly : (ly > kH ? ly - kH : 0);
        const bool beside = y >= h.top && y < h.bottom;
        uint32_t* out = image.pixels + static_cast<size_t>(y - image.top) * image.stride;
        for (int x = painted.left; x < width; ++x) {
            if (beside && x >= h.left && x < h.right) {
                x = h.right - 1;
                continue;
            }
            const Tap& t = columns[x];
            const uint32_t p = Blend(strip[t.a], strip[t.b], t.w);
            out[x - image.left] =
                Lit(p, beside ? besideLight[x] : LightAt(std::hypot(across[x], down)));
        }
    }
}

}  // namespace hg
