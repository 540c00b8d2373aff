// The six hearth surrounds and their mantels.
#include <algorithm>
#include <cmath>
#include <vector>

#include "art.h"

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265358979f;

// Where the centre of pixel i of a picture painted at the given detail lies in the design,
// measured from the design pixel's edge (the art here works in pixel-edge coordinates).
float cellCentre(int i, int detail) { return (float(i) + 0.5f) / float(detail); }

struct Geometry {
    int ox0, ox1, oy;  // opening: between ox0 and ox1, below oy
    int archRise;      // 0 for a square opening
    int leftX, leftY, rightX, rightY, topH;
};

Geometry geometry(int style) {
    switch (style) {
        case 1:
        case 2: return {100, 700, 240, 88, 0, 212, 700, 212, 250};
        case 3: return {100, 712, 215, 0, -2, 210, 712, 214, 245};
        case 4: return {130, 670, 200, 0, -1, 202, 670, 202, 230};
        default: return {110, 690, 172, 0, 0, 127, 690, 127, 202};
    }
}

// Coursed masonry laid out once per picture from a fixed seed.
struct Course {
    float y0, y1;
    std::vector<float> joints;  // x of each vertical joint, rising
};

std::vector<Course> layCourses(uint32_t seed, int minH, int maxH, int minL, int maxL) {
    Prng rng(seed);
    std::vector<Course> courses;
    float y = -float(rng.range(0, maxH));
    while (y < 620) {
        Course c;
        c.y0 = y;
        c.y1 = y + float(rng.range(minH, maxH));
        float x = -float(rng.range(0, maxL));
        while (x < 860) {
            c.joints.push_back(x);
            x += float(rng.range(minL, maxL));
        }
        c.joints.push_back(x);
        y = c.y1;
        courses.push_back(std::move(c));
    }
    return courses;
}

struct Block {
    float lx, ly, w, h;  // position inside the block and its size
    int id;
};

Block findBlock(const std::vector<Course>& courses, float x, float y) {
    for (size_t r = 0; r < courses.size(); ++r) {
        const Course& c = courses[r];
        if (y < c.y0 || y >= c.y1) continue;
        auto it = std::upper_bound(c.joints.begin(), c.joints.end(), x);
        size_t j = size_t(std::max<long>(1, it - c.joints.begin()));
        j = std::min(j, c.joints.size() - 1);
        float a = c.joints[j - 1], b = c.joints[j];
        return {x - a, y - c.y0, b - a, c.y1 - c.y0, int(r * 1000 + j)};
    }
    return {0, 0, 1, 1, 0};
}

struct Surface {
    Rgb albedo;
    float height;
    float shine;  // polish: 0 matt stone, 1 polished marble
};

class Surround {
public:
    // detail: pixels per unit of the design in the picture being painted.
    Surround(int style, int detail) : style_(style), detail_(detail), g_(geometry(style)) {
        if (style == 5) courses_ = layCourses(505, 9, 22, 45, 150);
        if (style == 6) courses_ = layCourses(606, 30, 58, 48, 118);
    }

    const Geometry& geo() const { return g_; }

    float openingTop(float x) const {
        if (g_.archRise == 0) return float(g_.oy);
        float half = float(g_.ox1 - g_.ox0) / 2, cx = float(g_.ox0 + g_.ox1) / 2;
        float u = std::clamp((x - cx) / half, -1.0f, 1.0f);
        return float(g_.oy) - float(g_.archRise) * std::sqrt(1 - u * u);
    }

    // Distance from the opening, 0 on its edge; negative inside it.
    float edgeDistance(float x, float y) const {
        float x0 = float(g_.ox0), x1 = float(g_.ox1);
        float top = openingTop(x);
        if (x > x0 && x < x1) {
            if (y > top) return -std::min({y - top, x - x0, x1 - x});
            const float dt = 0.5f;
            float slope = (openingTop(x + dt) - openingTop(x - dt)) / (2 * dt);
            return (top - y) / std::sqrt(1 + slope * slope);
        }
        float dx = x <= x0 ? x0 - x : x - x1;
        if (y >= float(g_.oy)) return dx;
        return std::hypot(dx, float(g_.oy) - y);
    }

    bool inOpening(float x, float y) const { return edgeDistance(x, y) < 0; }

    // The colour at (x, y) in the design's screen coordinates.
    Rgb colour(float x, float y) const {
        Surface s = surface(x, y);
        // The slope is taken across one pixel of the picture being painted, so a finer
        // picture shows the stone's edges and grain finer, not a blur of the coarse one.
        const float step = 1.0f / float(detail_), perUnit = float(detail_);
        float hx = (surface(x + step, y).height - s.height) * perUnit;
        float hy = (surface(x, y + step).height - s.height) * perUnit;
        float diffuse = reliefLight(hx, hy, 0.9f);
        // Polished stone shows a highlight where its slope faces the light.
        float nx = -hx * 0.9f, ny = -hy * 0.9f;
        float len = std::sqrt(nx * nx + ny * ny + 1);
        float halfDot = (nx * -0.25f + ny * -0.3f + 0.92f) / len;
        float specular = std::pow(std::max(0.0f, halfDot), 60.0f) * s.shine;
        Rgb c = s.albedo * (0.30f + 0.85f * diffuse) + Rgb{255, 245, 225} * (specular * 0.55f);
        float d = edgeDistance(x, y);
        // Smoke has blackened the stone above the opening.
        if (y < openingTop(x) + 2 && x > float(g_.ox0) - 20 && x < float(g_.ox1) + 20) {
            float centre = 1 - smoothstep(0.25f, 0.55f, std::fabs(x - 400) / float(g_.ox1 - g_.ox0));
            float soot = std::exp(-d / 30) * centre * (0.55f + 0.3f * fbm(x / 25, y / 15, 71, 3));
            c = c * (1 - std::min(soot, 0.8f));
        }
        // Firelight on the stone around the opening.
        float glow = 0.38f * std::exp(-d / 45) * smoothstep(float(g_.oy) - 60, 560, y);
        c = c + Rgb{255, 120, 40} * (glow * 0.35f) + s.albedo * Rgb{0.9f, 0.45f, 0.15f} * glow;
        // The return into the firebox: a dark reveal along the edge.
        c = c * (0.45f + 0.55f * smoothstep(0, 4, d));
        return c;
    }

private:
    Surface surface(float x, float y) const {
        switch (style_) {
            case 1: return marble(x, y, false);
            case 2: return marble(x, y, true);
            case 3: return riverRock(x, y, false);
            case 4: return riverRock(x, y, true);
            case 5: return flatStone(x, y);
            default: return oldRock(x, y);
        }
    }

    Surface marble(float x, float y, bool light) const {
        float d = edgeDistance(x, y);
        uint32_t seed = light ? 200 : 100;
        float h = 0;
        // Moulding round the opening, a fillet, then a flat slab with an incised panel line.
        const float band = 28;
        if (d < band) {
            h = 7 * std::pow(std::sin(kPi * std::clamp(d / band, 0.0f, 1.0f)), 0.6f) + 1;
            seed += 17;
        } else if (d < band + 5) {
            h = 2;
        } else {
            h = 0;
            float groove = std::fabs(d - (band + 40));
            if (groove < 2.5f) h -= 1.6f * (1 - groove / 2.5f);
        }
        // Keystone at the crown of the arch.
        if (g_.archRise > 0) {
            float crown = openingTop(400);
            float w = 26 + (crown - y) * 0.35f;
            if (y > crown - 62 && y < crown + 4 && std::fabs(x - 400) < w) {
                float e = std::min({w - std::fabs(x - 400), y - (crown - 62), crown + 4 - y});
                h = 9 + 2 * smoothstep(0, 3, e);
                seed += 29;
            }
        }
        float cloud = fbm(x / 90, y / 90, seed, 5);
        float t1 = (x * 0.7f + y) / 95 + 2.4f * fbm(x / 150, y / 150, seed + 1, 5);
        float vein = std::pow(1 - std::fabs(std::sin(t1 * kPi)), 7.0f) * fbm(x / 60, y / 60, seed + 4, 3);
        float t2 = (x - y * 0.45f) / 50 + 3.2f * fbm(x / 70, y / 70, seed + 2, 4);
        float fine = std::pow(1 - std::fabs(std::sin(t2 * kPi)), 40.0f) * fbm(x / 40, y / 40, seed + 3, 3);
        Rgb c;
        if (light) {
            c = mix(Rgb{240, 236, 228}, Rgb{218, 211, 198}, cloud);
            c = mix(c, Rgb{128, 126, 132}, vein * 0.8f);
            c = mix(c, Rgb{160, 150, 138}, std::min(1.0f, fine * 1.6f));
        } else {
            c = mix(Rgb{20, 22, 26}, Rgb{52, 50, 56}, cloud);
            c = mix(c, Rgb{200, 196, 188}, vein * 0.8f);
            c = mix(c, Rgb{170, 140, 80}, std::min(1.0f, fine * 1.5f));
        }
        return {c, h, 1.0f};
    }

    Surface riverRock(float x, float y, bool dark) const {
        uint32_t seed = dark ? 400 : 300;
        float cw = dark ? 50.0f : 44.0f, ch = dark ? 36.0f : 32.0f;
        Voronoi v = voronoi(x + 6 * fbm(x / 30, y / 30, seed + 9, 2), y, cw, ch, seed);
        float e = v.f2 - v.f1;
        // The opening's edge is a joint too, so no stone is sliced in half.
        e = std::min(e, 2 * std::max(0.0f, edgeDistance(x, y)) + 1);
        float mortar = 4.5f + 2.5f * fbm(x / 9, y / 9, seed + 1, 2);
        float grit = fbm(x / 3, y / 3, seed + 2, 2);
        if (e < mortar) {
            Rgb m = dark ? Rgb{112, 106, 98} : Rgb{128, 120, 110};
            return {m * (0.8f + 0.4f * grit), -3 + grit, 0};
        }
        static const Rgb pale[] = {{206, 196, 180}, {220, 212, 196}, {186, 180, 170},
                                   {228, 216, 194}, {196, 176, 154}, {210, 202, 190}};
        static const Rgb deep[] = {{62, 60, 58}, {46, 50, 56}, {82, 72, 62},
                                   {38, 38, 42}, {96, 90, 84}, {70, 62, 58}};
        uint32_t pick = hash(v.cellX, v.cellY, seed + 3) % 6;
        Rgb base = dark ? deep[pick] : pale[pick];
        float mottle = fbm(x / 14, y / 14, seed + 4 + pick, 3);
        Rgb c = base * (0.82f + 0.32f * mottle);
        // Specks are grains of the stone the size of a pixel: finer pictures show finer grains.
        float speck = hash01(int(x * float(detail_)), int(y * float(detail_)), seed + 5);
        if (speck > 0.93f) c = c * (dark ? 1.35f : 0.82f);
        float dome = std::sqrt(clamp01((e - mortar) / 24));
        return {c, 11 * dome + 0.6f * grit, dark ? 0.35f : 0.15f};
    }

    Surface coursed(float x, float y, Block b, bool isLintel, float gap, Rgb tone, uint32_t seed,
                    float roughness) const {
        float e = std::min({b.lx, b.w - b.lx, b.ly, b.h - b.ly});
        e = std::min(e, std::max(0.0f, edgeDistance(x, y)) + gap + 1.5f);
        float grit = fbm(x / 3, y / 3, seed + 2, 2);
        if (e < gap) return {Rgb{34, 32, 31} * (0.8f + 0.4f * grit), -4, 0};
        float proud = 2.5f * hash01(b.id, 0, seed + 3) + (isLintel ? 2 : 0);
        float edge = smoothstep(gap, gap + 3 + roughness, e);
        float h = proud + 4 * edge;
        h += roughness * (fbm(x / 9, y / 9, seed + 4, 4) - 0.5f) * 6;
        h += (1 - roughness) * 1.6f * fbm(x / 60, y / 2.5f, seed + 5, 3);
        float shade = 0.78f + 0.38f * hash01(b.id, 1, seed + 6);
        float hue = hash01(b.id, 2, seed + 7);
        Rgb c = tone * shade;
        c = mix(c, c * Rgb{1.12f, 0.98f, 0.84f}, hue);
        c = c * (0.82f + 0.3f * fbm(x / 20, y / (roughness > 0.5f ? 20 : 4), seed + 8, 4));
        return {c, h, 0.1f};
    }

    Block lintelOr(Block b, float x, float y) const {
        float lx0 = float(g_.ox0) - 28, lx1 = float(g_.ox1) + 28, ly0 = float(g_.oy) - 40;
        if (x >= lx0 && x < lx1 && y >= ly0 && y < float(g_.oy) + 2)
            return {x - lx0, y - ly0, lx1 - lx0, float(g_.oy) + 2 - ly0, 999999};
        return b;
    }

    Surface flatStone(float x, float y) const {
        Block b = lintelOr(findBlock(courses_, x, y), x, y);
        Surface s = coursed(x, y, b, b.id == 999999, 1.8f, {112, 110, 112}, 500, 0.15f);
        // Slate bands: some blue-grey, some rusty.
        float band = hash01(b.id, 5, 501);
        if (band > 0.7f) s.albedo = s.albedo * Rgb{1.15f, 1.0f, 0.82f};
        else if (band < 0.3f) s.albedo = s.albedo * Rgb{0.88f, 0.95f, 1.1f};
        return s;
    }

    Surface oldRock(float x, float y) const {
        float wx = x + 7 * (fbm(x / 25, y / 25, 610, 3) - 0.5f);
        float wy = y + 7 * (fbm(x / 25, y / 25, 611, 3) - 0.5f);
        Block b = lintelOr(findBlock(courses_, wx, wy), wx, wy);
        Surface s = coursed(x, y, b, b.id == 999999, 4.0f, {138, 128, 112}, 600, 1.0f);
        if (s.height <= -4) {
            s.albedo = Rgb{96, 90, 80} * (0.8f + 0.4f * fbm(x / 3, y / 3, 612, 2));
            return s;
        }
        // Dome each block a little, then weather it: lichen and dark stains.
        s.height += 5 * std::sin(kPi * clamp01(b.lx / b.w)) * std::sin(kPi * clamp01(b.ly / b.h));
        float lichen = fbm(x / 7, y / 7, 613, 3) * fbm(x / 50, y / 50, 614, 2);
        if (lichen > 0.33f) s.albedo = mix(s.albedo, Rgb{150, 150, 95}, smoothstep(0.33f, 0.4f, lichen) * 0.6f);
        float stain = fbm(x / 35, y / 80, 615, 3);
        s.albedo = s.albedo * (1 - 0.35f * smoothstep(0.55f, 0.8f, stain));
        return s;
    }

    int style_;
    int detail_;
    Geometry g_;
    std::vector<Course> courses_;
};

}  // namespace

Placement surroundPlacement(int style, SurroundPart part) {
    Geometry g = geometry(style);
    switch (part) {
        case SurroundPart::Left: return {g.leftX, g.leftY, g.ox0 - g.leftX, 600 - g.leftY};
        case SurroundPart::Right: return {g.rightX, g.rightY, 800 - g.rightX, 600 - g.rightY};
        default: return {0, 0, 800, g.topH};
    }
}

Image paintSurround(int style, SurroundPart part, int detail) {
    Surround s(style, detail);
    Placement p = surroundPlacement(style, part);
    Image img(p.width * detail, p.height * detail);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            float sx = float(p.x) + cellCentre(x, detail), sy = float(p.y) + cellCentre(y, detail);
            if (part == SurroundPart::Top && s.inOpening(sx, sy)) continue;
            img.set(x, y, s.colour(sx, sy));
        }
    return img;
}

Placement mantelPlacement(int style) {
    switch (style) {
        case 3: return {81, 0, 638, 44};
        case 4: return {78, 18, 644, 42};
        case 5: return {95, 22, 610, 36};
        default: return {82, 19, 636, 44};
    }
}

Image paintMantel(int style, int detail) {
    Placement p = mantelPlacement(style);
    Image img(p.width * detail, p.height * detail);
    const float w = float(p.width), h = float(p.height);
    const float topFace = 8;
    Rgb wood = style == 3 ? Rgb{168, 116, 66} : style == 4 ? Rgb{86, 56, 36} : Rgb{120, 88, 58};
    uint32_t seed = 700 + uint32_t(style);
    for (int iy = 0; iy < img.height(); ++iy)
        for (int ix = 0; ix < img.width(); ++ix) {
            float x = cellCentre(ix, detail), y = cellCentre(iy, detail);
            Rgb c;
            if (style == 5) {
                // A slab of slate, its layers showing on the front edge.
                float layers = fbm(x / 80, y / 2.2f, seed, 4);
                c = mix(Rgb{72, 78, 86}, Rgb{128, 130, 134}, layers);
                if (y < topFace) c = c * 1.25f;
                float chip = fbm(x / 6, 0, seed + 1, 2);
                if (y > h - 3 * chip - 1) c = c * 0.6f;
            } else {
                float grain = std::sin((y * 0.9f + 9 * fbm(x / 110, y / 12, seed, 4)) * 1.3f);
                float fleck = fbm(x / 30, y / 3, seed + 1, 3);
                c = wood * (0.78f + 0.16f * grain + 0.2f * fleck);
                if (style == 6) {
                    // Old hewn timber: shrinkage checks and adze marks.
                    float check = std::fabs(std::sin((y + 6 * fbm(x / 70, 0, seed + 2, 3)) * 0.45f));
                    if (check < 0.06f && fbm(x / 40, y / 40, seed + 3, 2) > 0.5f) c = c * 0.35f;
                    c = c * (0.9f + 0.15f * std::sin(x * 0.35f + 3 * fbm(x / 20, 0, seed + 4, 2)));
                }
                if (y < topFace) c = c * 1.3f * (0.95f + 0.1f * fbm(x / 60, y, seed + 5, 2));
            }
            // Rounded front edge catches the light; the underside is in shadow.
            float edgeLight = std::exp(-std::fabs(y - topFace - 1.5f) / 1.5f);
            c = c + Rgb{255, 220, 170} * (0.18f * edgeLight);
            c = c * (1 - 0.55f * smoothstep(h - 7, h, y));
            // End grain at both ends.
            if (x < 3 || x > w - 3) c = c * 0.7f;
            img.set(ix, iy, c);
        }
    return img;
}

}  // namespace assetgen
