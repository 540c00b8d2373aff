// Stocking, calendar page, bells and poinsettias.
#include <algorithm>
#include <cmath>
#include <functional>

#include "art.h"

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265358979f;

// A picture painted at a detail d: d pixels to each unit of the design, so the shapes
// below are laid out in design units and only their pixels get finer.
struct Sheet {
    Sheet(int width, int height, int detail) : img(width * detail, height * detail), d(detail) {}
    // The design coordinate of the centre of pixel i.
    float at(int i) const { return (float(i) + 0.5f) / float(d); }
    // The first pixel of design pixel n, and the end of design pixel n (one past its last pixel).
    int from(int n) const { return n * d; }
    int to(int n) const { return (n + 1) * d; }

    Image img;
    int d;
};

// Darkens the outermost opaque pixels, a band one design pixel wide, so a shape reads
// against any background.
void outline(Sheet& s, float factor) {
    Image& img = s.img;
    const Image copy = img;
    const int r = s.d;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (!copy.opaque(x, y)) continue;
            bool edge = false;
            for (int dy = -r; dy <= r && !edge; ++dy)
                for (int dx = std::abs(dy) - r; dx <= r - std::abs(dy) && !edge; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    edge = copy.inside(nx, ny) && !copy.opaque(nx, ny);
                }
            if (edge) img.set(x, y, copy.get(x, y) * factor);
        }
}

// Paints a sphere-lit disc.
void ball(Sheet& s, float cx, float cy, float r, Rgb base, float shine) {
    Image& img = s.img;
    for (int y = s.from(int(cy - r - 1)); y < s.to(int(cy + r + 1)); ++y)
        for (int x = s.from(int(cx - r - 1)); x < s.to(int(cx + r + 1)); ++x) {
            float dx = (s.at(x) - cx) / r, dy = (s.at(y) - cy) / r;
            float d2 = dx * dx + dy * dy;
            if (d2 > 1 || !img.inside(x, y)) continue;
            float nz = std::sqrt(1 - d2);
            float diff = std::max(0.0f, -0.4f * dx - 0.5f * dy + 0.75f * nz);
            float specular = std::pow(std::max(0.0f, -0.3f * dx - 0.4f * dy + 0.87f * nz), 30.0f);
            img.set(x, y, base * (0.35f + 0.8f * diff) + Rgb{255, 255, 240} * (specular * shine));
        }
}

// A leaf or bract from (bx, by) pointing at angle, with optional holly spines.
void leaf(Sheet& s, float bx, float by, float angle, float len, float width, Rgb base,
          bool holly) {
    Image& img = s.img;
    float ca = std::cos(angle), sa = std::sin(angle);
    int r = int(len + width + 2);
    for (int y = s.from(int(by) - r); y < s.to(int(by) + r); ++y)
        for (int x = s.from(int(bx) - r); x < s.to(int(bx) + r); ++x) {
            if (!img.inside(x, y)) continue;
            float px = s.at(x) - bx, py = s.at(y) - by;
            float u = px * ca + py * sa, v = -px * sa + py * ca;
            float t = u / len;
            if (t < 0 || t > 1) continue;
            float w = width * std::pow(std::sin(kPi * t), 0.7f) * (1 - 0.25f * t);
            if (holly) w *= 0.8f + 0.35f * std::fabs(std::sin(t * kPi * 3.5f));
            if (std::fabs(v) > w) continue;
            float across = std::fabs(v) / std::max(w, 0.5f);
            float shade = 0.72f + 0.38f * (v < 0 ? 1 - across : 0.7f * (1 - across));
            float vein = (std::fabs(v) < 0.7f) ? 0.7f : 1.0f;
            float side = std::fabs(std::sin((u - std::fabs(v) * 0.8f) * 0.5f)) < 0.12f ? 0.88f : 1.0f;
            float tip = 0.85f + 0.15f * t;
            img.set(x, y, base * (shade * vein * side * tip));
        }
}

// A thick line with rounded ends.
void ribbon(Sheet& s, float x0, float y0, float x1, float y1, float w, Rgb base) {
    Image& img = s.img;
    float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    for (int y = s.from(int(std::min(y0, y1) - w - 1)); y < s.to(int(std::max(y0, y1) + w + 1)); ++y)
        for (int x = s.from(int(std::min(x0, x1) - w - 1)); x < s.to(int(std::max(x0, x1) + w + 1)); ++x) {
            if (!img.inside(x, y)) continue;
            float px = s.at(x) - x0, py = s.at(y) - y0;
            float t = std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f);
            float d = std::hypot(px - t * dx, py - t * dy);
            if (d > w) continue;
            img.set(x, y, base * (1.05f - 0.4f * d / w));
        }
}

// A brass sleigh bell... a hand bell, mouth down, hanging from (cx, top).
void bell(Sheet& s, float cx, float top, float height, float width, float tilt) {
    Image& img = s.img;
    float ct = std::cos(tilt), st = std::sin(tilt);
    int r = int(height + width);
    for (int y = s.from(int(top) - 4); y < s.to(int(top) + r); ++y)
        for (int x = s.from(int(cx) - r); x < s.to(int(cx) + r); ++x) {
            if (!img.inside(x, y)) continue;
            float px = s.at(x) - cx, py = s.at(y) - top;
            float u = px * ct + py * st, v = -px * st + py * ct;  // v down the bell
            float t = v / height;
            if (t < 0 || t > 1) continue;
            float half = width * (0.28f + 0.22f * t + 0.5f * std::pow(t, 5.0f));
            if (t < 0.12f) half *= std::sqrt(t / 0.12f);
            if (std::fabs(u) > half) continue;
            float n = u / half;
            float nz = std::sqrt(std::max(0.0f, 1 - n * n));
            float diff = std::max(0.0f, -0.5f * n + 0.8f * nz);
            float specular = std::pow(std::max(0.0f, 1 - std::fabs(n + 0.35f) * 3), 3.0f);
            Rgb c = Rgb{212, 160, 50} * (0.3f + 0.85f * diff) + Rgb{255, 240, 190} * (specular * 0.7f);
            if (t > 0.9f) c = c * 0.8f;  // the rolled lip
            img.set(x, y, c);
        }
    float mx = cx - st * height, my = top + ct * height;
    ball(s, mx, my, width * 0.14f, {60, 45, 30}, 0.3f);
}

void bow(Sheet& s, float cx, float cy, float size) {
    Rgb red{196, 22, 30};
    ribbon(s, cx, cy, cx - size * 0.4f, cy + size * 1.2f, size * 0.18f, red * 0.85f);
    ribbon(s, cx, cy, cx + size * 0.45f, cy + size * 1.15f, size * 0.18f, red * 0.85f);
    leaf(s, cx, cy, kPi + 0.35f, size, size * 0.42f, red, false);
    leaf(s, cx, cy, -0.35f, size, size * 0.42f, red, false);
    ball(s, cx, cy, size * 0.22f, red, 0.4f);
}

}  // namespace

Image paintStocking(int detail) {
    Sheet s(kStockingW, kStockingH, detail);
    Image& img = s.img;
    auto inBody = [](float x, float y) {
        if (y >= 32 && y <= 104 && x >= 12 + (y - 32) * 0.03f && x <= 58 - (y - 32) * 0.02f) return true;
        if (std::hypot(x - 34, y - 102) < 23) return true;
        // Foot: a capsule from the heel to the toe on the right.
        float t = std::clamp((x - 36) / 30, 0.0f, 1.0f);
        float fx = 36 + t * 30, fy = 110 + t * 2;
        return std::hypot(x - fx, y - fy) < 20 - t * 2;
    };
    for (int iy = 0; iy < img.height(); ++iy)
        for (int ix = 0; ix < img.width(); ++ix) {
            float x = s.at(ix), y = s.at(iy);
            float cuffBottom = 36 + 3 * std::sin(x * 0.5f) + 2 * fbm(x / 4, 0, 801, 2);
            float fuzz = 2.5f * fbm(x / 3, y / 3, 802, 2);
            bool cuff = y >= 8 - fuzz && y < cuffBottom && x >= 6 - fuzz && x <= 71 + fuzz;
            if (cuff) {
                float across = (x - 6) / 65;
                float shade = 0.72f + 0.35f * std::sin(kPi * std::clamp(across, 0.0f, 1.0f)) -
                              0.12f * across;
                float fur = 0.82f + 0.22f * fbm(x / 2.2f, y / 2.2f, 803, 3);
                img.set(ix, iy, Rgb{246, 243, 236} * (shade * fur));
                continue;
            }
            if (!inBody(x, y)) continue;
            // Knitted red with a green band, green heel and toe.
            Rgb c{178, 20, 28};
            bool band = y > 52 && y < 66;
            bool heel = std::hypot(x - 28, y - 112) < 13 && x < 36;
            bool toe = x > 62;
            if (band || heel || toe) c = {24, 112, 52};
            if (band) {
                float dx = std::fabs(std::fmod(x, 10.0f) - 5), dy = std::fabs(y - 59);
                if (dx + dy < 4 && dx + dy > 1.8f) c = {240, 236, 226};
            }
            if (y > 74 && y < 77) c = {240, 236, 226};
            float stitchX = std::fabs(std::fmod(x, 4.0f) - 2), stitchY = std::fmod(y + stitchX, 4.0f);
            float knit = 0.9f + 0.1f * (stitchY < 2 ? 1.0f : 0.0f);
            float across = std::clamp((x - 10) / 52, 0.0f, 1.0f);
            float shade = 0.55f + 0.55f * std::sin(kPi * across) * (1 - 0.25f * across);
            img.set(ix, iy, c * (knit * shade));
        }
    // Hanging loop.
    for (int iy = s.from(0); iy < s.to(11); ++iy)
        for (int ix = s.from(8); ix < s.to(23); ++ix) {
            float d = std::hypot(s.at(ix) - 16, s.at(iy) - 6);
            if (d > 3.5f && d < 6 && !img.opaque(ix, iy)) img.set(ix, iy, {150, 18, 24});
        }
    outline(s, 0.55f);
    return img;
}

Image paintCalendar(int detail) {
    Sheet s(kCalendarW, kCalendarH, detail);
    Image& img = s.img;
    const float w = kCalendarW, h = kCalendarH;
    // The page is drawn in design pixels: x and y below are the place of a pixel's centre less
    // a half, whole numbers at detail 1. Each edge between two design pixels lies half way
    // between the whole numbers either side, so finer pixels follow the same straight lines.
    auto near = [](float v, float n) { return std::fabs(v - n) < 0.5f; };
    for (int iy = 0; iy < img.height(); ++iy)
        for (int ix = 0; ix < img.width(); ++ix) {
            float x = s.at(ix) - 0.5f, y = s.at(iy) - 0.5f;
            bool edgeShadow = x > w - 2.5f || y > h - 2.5f;
            // Turned-up bottom right corner.
            float cx = x - (w - 2 - 12), cy = y - (h - 2 - 12);
            bool corner = cx > 0.5f && cy > 0.5f;
            if (corner && cx + cy > 12.5f) {
                if (edgeShadow || cx + cy > 13.5f) continue;
            }
            Rgb c;
            if (edgeShadow) {
                c = {96, 86, 74};
            } else if (x < 0.5f || y < 0.5f || near(x, w - 3) || near(y, h - 3)) {
                c = {150, 132, 104};
            } else if (corner && cx + cy > 10.5f) {
                c = {196, 186, 166};
            } else if (corner && cx + cy > 8.5f) {
                c = {226, 218, 198};  // the folded flap
            } else {
                float paper = fbm(x / 5, y / 5, 901, 3);
                c = Rgb{252, 248, 236} * (0.96f + 0.05f * paper);
                c = c * (1 - 0.04f * y / h);
            }
            img.set(ix, iy, c);
        }
    // Binding rings at the top corners, clear of the month.
    for (int ring = 0; ring < 2; ++ring) {
        float rx = ring == 0 ? 9.5f : 55.5f;
        for (int y = s.from(0); y < s.to(6); ++y)
            for (int x = s.from(int(rx) - 4); x < s.to(int(rx) + 4); ++x) {
                float d = std::hypot(s.at(x) - rx, s.at(y) - 3.5f);
                if (d < 1.6f) img.set(x, y, {70, 60, 50});
                else if (d < 2.6f) img.set(x, y, {176, 176, 184});
            }
    }
    // A holly sprig low on the left, under the day number.
    leaf(s, 6, 82, -0.25f, 9, 2.5f, {30, 110, 50}, true);
    leaf(s, 6, 82, 0.55f, 8, 2.3f, {26, 96, 44}, true);
    ball(s, 5, 81, 1.6f, {200, 20, 24}, 0.3f);
    return img;
}

Image paintBells(bool topLeft, int detail) {
    Sheet s(topLeft ? 90 : 80, topLeft ? 105 : 95, detail);
    float bx = topLeft ? 42 : 40, by = topLeft ? 24 : 16;
    leaf(s, bx, by, kPi * 0.85f, 30, 8, {28, 104, 48}, true);
    leaf(s, bx, by, kPi * 0.12f, 30, 8, {32, 116, 54}, true);
    leaf(s, bx, by, kPi * 1.45f, 22, 7, {24, 92, 42}, true);
    float t1 = topLeft ? 0.18f : 0.2f, t2 = topLeft ? -0.15f : -0.18f;
    float ax = bx - 16, ay = by + 26, cx = bx + 16, cy = by + 22;
    ribbon(s, bx, by, ax, ay, 2, {170, 18, 26});
    ribbon(s, bx, by, cx, cy, 2, {170, 18, 26});
    bell(s, ax, ay, 44, 34, t1);
    bell(s, cx, cy, 40, 31, t2);
    bow(s, bx, by, 18);
    ball(s, bx - 6, by + 14, 3.5f, {205, 20, 26}, 0.6f);
    ball(s, bx + 1, by + 16, 3.5f, {205, 20, 26}, 0.6f);
    outline(s, 0.6f);
    return s.img;
}

Image paintPoinsettia(bool bottomLeft, int detail) {
    const int w = bottomLeft ? 175 : 150, h = bottomLeft ? 160 : 150;
    Sheet s(w, h, detail);
    Image& img = s.img;
    // The plant stands clear of the calendar corner below it.
    float cx = bottomLeft ? 124 : 50, cy = bottomLeft ? 60 : 56;
    float potTop = bottomLeft ? 108 : 100, potBottom = float(h);
    float potX = cx;
    // Pot wrapped in gold foil.
    for (int iy = s.from(int(potTop)); iy < img.height(); ++iy)
        for (int ix = 0; ix < img.width(); ++ix) {
            // The top left corner of the pixel in design units, as the foil was laid out.
            float x = s.at(ix) - 0.5f, y = s.at(iy) - 0.5f;
            float t = (y - potTop) / (potBottom - potTop);
            float half = 36 - 8 * t;
            float dx = x + 0.5f - potX;
            if (std::fabs(dx) > half) continue;
            float n = dx / half;
            float crinkle = fbm(x / 5, y / 9, 951, 3);
            float diff = 0.35f + 0.75f * std::max(0.0f, std::sqrt(1 - n * n) * 0.8f - 0.4f * n);
            Rgb c = Rgb{214, 168, 64} * (diff * (0.75f + 0.5f * crinkle));
            if (t < 0.12f) c = c * 1.15f;  // the foil's rolled rim
            img.set(ix, iy, c);
        }
    Prng rng(bottomLeft ? 961 : 962);
    for (int i = 0; i < 8; ++i) {
        float a = float(i) * kPi / 4 + rng.uniform(-0.2f, 0.2f);
        leaf(s, cx, cy, a, rng.uniform(52, 62), 15, {30, 100, 44}, false);
    }
    for (int i = 0; i < 7; ++i) {
        float a = float(i) * 2 * kPi / 7 + rng.uniform(-0.15f, 0.15f) + 0.2f;
        leaf(s, cx, cy, a, rng.uniform(46, 54), 14, {196, 22, 32}, false);
    }
    for (int i = 0; i < 6; ++i) {
        float a = float(i) * 2 * kPi / 6 + rng.uniform(-0.15f, 0.15f) + 0.6f;
        leaf(s, cx, cy, a, rng.uniform(28, 34), 10, {222, 34, 40}, false);
    }
    for (int i = 0; i < 9; ++i) {
        float a = float(i) * 2 * kPi / 9, r = i == 0 ? 0 : 5.5f;
        ball(s, cx + r * std::cos(a), cy + r * std::sin(a), 2.6f,
             i % 2 ? Rgb{210, 190, 40} : Rgb{120, 150, 40}, 0.5f);
    }
    outline(s, 0.6f);
    return img;
}

}  // namespace assetgen
