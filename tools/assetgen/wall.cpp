// The wall of the room around the hearth, shown beside it on screens wider than the picture.
// One strip as tall as the screen: a cornice, striped damask paper, a chair rail, oak panelling
// and a skirting board. It is mirror-symmetric, so it joins itself whether the program repeats
// it or mirrors it.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace assetgen {

namespace {

constexpr int kCorniceEnd = 26;
constexpr int kRailTop = 332, kRailEnd = 350;
constexpr int kSkirtingTop = 556;

// The design is drawn in whole pixels of the 800 x 600 screen: a band that starts at pixel
// row r covers the design from r - 0.5 on, so its edges stay where they are at any detail.

// Paper: two reds in stripes of 30 px, a fine gold line between, and a faint lozenge.
Rgb paper(float xs, float y) {
    // Where in its pair of stripes, from -0.5: pixel 0 of the screen is the first light one.
    const float stripe = std::fmod(xs + 0.5f, 60.0f) - 0.5f;
    const bool dark = stripe >= 29.5f;
    Rgb c = dark ? Rgb{96, 26, 28} : Rgb{112, 32, 33};
    const float edge =
        std::min(std::abs(stripe - 30.0f), std::min(std::abs(stripe), 60.0f - stripe));
    if (edge < 1.2f) c = mix(c, Rgb{150, 112, 58}, 0.55f * (1.2f - edge));
    // A lozenge in the middle of each light stripe, repeating every 50 px down.
    if (!dark) {
        const float cx = std::abs(stripe - 15.0f), cy = std::abs(std::fmod(y, 50.0f) - 25.0f);
        const float d = cx / 9.0f + cy / 16.0f;
        if (d < 1.0f) c = mix(c, Rgb{128, 42, 40}, 0.7f * smoothstep(1.0f, 0.75f, d));
    }
    const float grain = fbm(xs * 0.35f, y * 0.35f, 71, 3, 0, 0);
    return c * (0.93f + 0.12f * grain);
}

// Oak: warm brown with long horizontal grain.
Rgb oak(float xs, float y, uint32_t seed, float shade) {
    const float g = fbm(xs * 0.04f, y * 0.6f, seed, 4, 0, 0);
    const float streak = 0.5f + 0.5f * std::sin(y * 0.9f + g * 9.0f);
    Rgb c = mix(Rgb{70, 40, 22}, Rgb{104, 64, 36}, g * 0.7f + streak * 0.3f);
    return c * shade;
}

}  // namespace

Image paintWall(int detail) {
    Image img(kWallW * detail, kWallH * detail);
    // Whether design row fy lies in the pixel rows from..to-1 of the 800 x 600 screen.
    auto rows = [](float fy, int from, int to) {
        return fy >= float(from) - 0.5f && fy < float(to) - 0.5f;
    };
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            // Distance from the nearer side edge, taken in whole pixels of this detail so that
            // both halves are exact mirror images.
            const int xm = std::min(x, img.width() - 1 - x);
            const float xs = designAt(xm, detail);
            const float fy = designAt(y, detail);
            Rgb c;
            if (fy < kCorniceEnd - 0.5f) {
                // Painted cornice: cream, with two shadowed grooves, darkening at the ceiling.
                c = Rgb{196, 178, 146} * (0.7f + 0.3f * fy / kCorniceEnd);
                if (rows(fy, 8, 10) || rows(fy, 18, 20)) c = c * 0.72f;
                if (rows(fy, kCorniceEnd - 1, kCorniceEnd)) c = c * 0.55f;
            } else if (fy < kRailTop - 0.5f) {
                c = paper(xs, fy);
                // The cornice's shadow on the paper.
                c = c * (1.0f - 0.35f * std::max(0.0f, 1.0f - (fy - kCorniceEnd) / 10.0f));
            } else if (fy < kRailEnd - 0.5f) {
                // Chair rail: a rounded moulding lit from above.
                const float t = (fy - kRailTop) / float(kRailEnd - kRailTop);
                c = oak(xs, fy, 5, 0.95f + 0.45f * std::cos(t * 3.14159f * 0.9f));
            } else if (fy < kSkirtingTop - 0.5f) {
                // One raised panel per strip: a frame of stiles and rails around a field
                // with a bevel lit from above.
                const float inX = xs - 22.0f, inTop = fy - 372.0f, inBottom = 538.0f - fy;
                const float inside = std::min({inX, inTop, inBottom});
                float shade = 0.86f;
                if (inside >= -0.5f && inside < 5.5f) {
                    const bool litSide = inTop < inX && inTop < inBottom;
                    // Lit from above: the upright bevels, facing sideways, take a middle shade.
                    shade = litSide ? 1.18f : (inBottom < inX ? 0.62f : 0.9f);
                } else if (inside >= 5.5f) {
                    shade = 0.98f;
                }
                const bool panel = inside >= -0.5f;
                c = oak(panel ? xs : xs + 400.0f, fy, panel ? 9u : 13u, shade);
                // Under the rail, its shadow.
                c = c * (1.0f - 0.4f * std::max(0.0f, 1.0f - (fy - kRailEnd) / 8.0f));
            } else {
                // Skirting: a darker board with a bead along its top.
                const float t = fy - kSkirtingTop;
                float shade = t < 3.5f ? 1.2f - 0.1f * t : 0.7f;
                c = oak(xs, fy, 21, shade) * 0.8f;
            }
            img.set(x, y, c);
        }
    }
    return img;
}

}  // namespace assetgen
