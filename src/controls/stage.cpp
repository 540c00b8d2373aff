#include "controls/stage.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "controls/scaler.h"

namespace hg {

namespace {

constexpr int kW = Compositor::kWidth, kH = Compositor::kHeight;
// Logical pixels over which the fire's light on the wall fades.
constexpr double kGlowReach = 280.0;
constexpr uint32_t kPlainWall = 0x3A2A22;

struct Sampler {
    const Picture* tile;
    int w, h;
    // Bilinear, repeating sideways and holding the top and bottom rows beyond the strip.
    void At(double u, double v, double rgb[3]) const {
        if (!tile) {
            rgb[0] = (kPlainWall >> 16) & 255, rgb[1] = (kPlainWall >> 8) & 255,
            rgb[2] = kPlainWall & 255;
            return;
        }
        u -= 0.5, v -= 0.5;
        const double fu = std::floor(u), fv = std::floor(v);
        const double au = u - fu, av = v - fv;
        auto wrap = [&](double x) {
            return static_cast<int>(((static_cast<int64_t>(x) % w) + w) % w);
        };
        auto hold = [&](double y) { return std::clamp(static_cast<int>(y), 0, h - 1); };
        const int x0 = wrap(fu), x1 = wrap(fu + 1), y0 = hold(fv), y1 = hold(fv + 1);
        const uint32_t p[4] = {Rgb565To888(tile->Row(y0)[x0]), Rgb565To888(tile->Row(y0)[x1]),
                               Rgb565To888(tile->Row(y1)[x0]), Rgb565To888(tile->Row(y1)[x1])};
        for (int c = 0; c < 3; ++c) {
            const int shift = 16 - 8 * c;
            const double top = ((p[0] >> shift) & 255) * (1 - au) + ((p[1] >> shift) & 255) * au;
            const double bottom = ((p[2] >> shift) & 255) * (1 - au) + ((p[3] >> shift) & 255) * au;
            rgb[c] = top * (1 - av) + bottom * av;
        }
    }
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
    const Sampler sample{tile, tile ? tile->Width() : 0, tile ? tile->Height() : 0};
    const double scale = stage.Scale();
    const double toTile = tile ? double(sample.h) / kH : 1.0;
    // The light falls off with the distance from the hearth, in logical pixels.
    std::vector<float> glow(2049);
    for (size_t d = 0; d < glow.size(); ++d)
        glow[d] = static_cast<float>(std::exp(-double(d) / kGlowReach));
    const int w = std::min(stage.width, image.width), h = std::min(stage.height, image.height);
    for (int y = 0; y < h; ++y) {
        uint32_t* out = image.pixels + static_cast<size_t>(y) * image.stride;
        const double ly = (y + 0.5 - stage.hearth.top) / scale;
        const double dy = ly < 0 ? -ly : (ly > kH ? ly - kH : 0);
        const bool besideRows = y >= stage.hearth.top && y < stage.hearth.bottom;
        for (int x = 0; x < w; ++x) {
            if (besideRows && x >= stage.hearth.left && x < stage.hearth.right) {
                x = stage.hearth.right - 1;
                continue;
            }
            const double lx = (x + 0.5 - stage.hearth.left) / scale;
            double u = lx, dx = 0;
            if (lx < 0)
                u = dx = -lx;
            else if (lx > kW)
                u = dx = lx - kW;
            double rgb[3];
            sample.At(u * toTile, ly * toTile, rgb);
            const float g =
                glow[std::min<size_t>(glow.size() - 1, static_cast<size_t>(std::hypot(dx, dy)))];
            const double light = 0.58 + 0.42 * g;
            const double warm[3] = {light + 0.12 * g, light + 0.02 * g, light - 0.08 * g};
            uint32_t px = 0;
            for (int c = 0; c < 3; ++c)
                px = px << 8 | static_cast<uint32_t>(std::clamp(rgb[c] * warm[c], 0.0, 255.0));
            out[x] = px;
        }
    }
}

}  // namespace hg
