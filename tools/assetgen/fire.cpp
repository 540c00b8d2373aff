// Flames, logs, andirons and the flame of the window icon.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265358979f;

// Fire colour ramp over intensity 0..1.
Rgb fireColour(float i) {
    static const Rgb stops[] = {{110, 12, 0},   {190, 38, 4},    {238, 96, 14},
                                {255, 160, 38}, {255, 214, 100}, {255, 246, 205}};
    static const float at[] = {0.0f, 0.12f, 0.32f, 0.55f, 0.78f, 1.0f};
    i = clamp01(i);
    for (int s = 1; s < 6; ++s)
        if (i <= at[s]) return mix(stops[s - 1], stops[s], (i - at[s - 1]) / (at[s] - at[s - 1]));
    return stops[5];
}

// A turbulence field that rises over time and returns exactly to its start
// after kFlameFrames frames: two scrolling copies, one period apart, are
// cross-faded, with the contrast loss of the blend undone.
float loopingTurbulence(float x, float y, int frame, float rise, uint32_t seed, int octaves) {
    float a = float(frame) / float(kFlameFrames);
    float n0 = fbm(x, y + rise * float(frame), seed, octaves);
    float n1 = fbm(x, y + rise * float(frame - kFlameFrames), seed, octaves);
    float blended = (1 - a) * n0 + a * n1 - 0.5f;
    return blended / std::sqrt((1 - a) * (1 - a) + a * a) + 0.5f;
}

float gauss(float x, float c, float w) { return std::exp(-((x - c) / w) * ((x - c) / w)); }

// How tall the fire stands above its root at column x of the flame picture.
float flameHeight(float x) {
    float h = 170 * gauss(x, 330, 150) + 105 * gauss(x, 215, 45) + 120 * gauss(x, 450, 52) +
              70 * gauss(x, 140, 38) + 75 * gauss(x, 525, 38) + 60 * gauss(x, 300, 30);
    return h + 30 * smoothstep(90, 130, x) * (1 - smoothstep(540, 580, x));
}

// Soot-darkened firebrick of the firebox: back wall, angled side walls, floor.
Rgb fireboxColour(float fx, float fy, int frame, int extra) {
    const float W = kFlameW, H = kFlameH, X0 = 150, X1 = 510, Y0 = 90, Y1 = 440;
    enum { Back, Side, Floor, Ceiling } part = Back;
    float bu = 0, bv = 0, facing = 1;
    auto sideWall = [&](float u) {
        float top = u * Y0, bottom = H + u * (Y1 - H);
        if (fy < top) return Ceiling;
        if (fy > bottom) return Floor;
        // Perspective-correct depth along the wall from the front edge.
        float depth = 1.0f / (1.0f - u * 0.6f) - 1.0f;
        bu = depth * 160;
        bv = (fy - top) / (bottom - top) * (Y1 - Y0);
        return Side;
    };
    if (fx < X0) {
        part = sideWall(fx / X0);
        facing = 0.75f;
    } else if (fx > X1) {
        part = sideWall((W - fx) / (W - X1));
        facing = 0.75f;
    } else if (fy < Y0) {
        part = Ceiling;
    } else if (fy > Y1) {
        part = Floor;
    } else {
        bu = fx - X0;
        bv = fy - Y0;
    }
    Rgb albedo;
    if (part == Back || part == Side) {
        int row = int(std::floor(bv / 18));
        float shift = (row % 2) ? 24.0f : 0.0f;
        int col = int(std::floor((bu + shift) / 48));
        float mx = std::fmod(bu + shift, 48.0f), my = std::fmod(bv, 18.0f);
        bool mortar = mx < 2.5f || my < 2.2f;
        float tone = 0.7f + 0.4f * hash01(col, row, 11);
        float grain = 0.8f + 0.4f * fbm(fx / 6, fy / 6, 12, 3 + extra);
        albedo = mortar ? Rgb{70, 60, 52} : Rgb{128 * tone, 58 * tone, 40 * tone};
        albedo = albedo * grain;
        // Smoke blackens the upper wall.
        albedo = albedo * (0.25f + 0.75f * smoothstep(80, 380, fy) * (0.6f + 0.4f * fbm(fx / 40, fy / 30, 13, 3)));
    } else if (part == Floor) {
        float ash = fbm(fx / 12, fy / 8, 14, 4 + extra);
        albedo = Rgb{62, 56, 52} * (0.6f + 0.6f * ash);
        facing = 0.9f;
    } else {
        albedo = {20, 16, 14};
        facing = 0.3f;
    }
    float phase = 2 * kPi * float(frame) / kFlameFrames;
    float flicker = 0.88f + 0.08f * std::sin(phase) + 0.05f * std::sin(2 * phase + 1.3f);
    float dist = std::hypot(fx - 330, (fy - 410) * 1.3f);
    float glow = 1.7f * std::exp(-dist / 170) * flicker * facing;
    Rgb light{0.10f + 1.25f * glow, 0.08f + 0.62f * glow, 0.07f + 0.28f * glow};
    return albedo * light;
}

}  // namespace

Image paintFlame(int frame, int detail) {
    Image img(kFlameW * detail, kFlameH * detail);
    const float root = 452;
    const int extra = extraOctaves(detail), octaves = 4 + extra;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            float fx = designAt(x, detail), fy = designAt(y, detail);
            Rgb c = fireboxColour(fx, fy, frame, extra);
            float up = root - fy;
            float sway = loopingTurbulence(fx / 90, fy / 110, frame, 0.30f, 21, 4) - 0.5f;
            float reach = clamp01(up / 220);
            float h = flameHeight(fx + sway * 90 * reach);
            if (h > 8 && up > -30) {
                float turb = loopingTurbulence(fx / 34, fy / 44, frame, 0.6f, 22, octaves);
                // Narrow tongues: columns that flicker between tall and short.
                float tongue = loopingTurbulence(fx / 16, fy / 120, frame, 0.2f, 23, octaves);
                float r = std::max(up, 0.0f) / (h * (0.6f + 0.8f * tongue));
                float i = 1.0f - r + (turb - 0.5f) * 2.0f * (0.25f + r);
                if (up < 0) i *= 1 + up / 30;
                // A hotter core low in the fire.
                i += 0.12f * (1 - smoothstep(0, 0.35f, r)) * smoothstep(60, 140, h);
                if (i > 0) {
                    float a = smoothstep(0.0f, 0.22f, i);
                    c = mix(c, fireColour(i), a);
                }
                // Warm haze around the flames.
                float haze = clamp01(1.2f - r) * 0.07f * smoothstep(20, 120, h);
                c = c + Rgb{255, 110, 30} * haze;
            }
            img.set(x, y, c);
        }
    return img;
}

namespace {

struct Log {
    float x0, y0, x1, y1, r;
    uint32_t seed;
};

// Paints one log, a cylinder with charred bark and sawn ends.
void paintLog(Image& img, const Log& log, int detail) {
    float dx = log.x1 - log.x0, dy = log.y1 - log.y0;
    float len = std::hypot(dx, dy);
    float ux = dx / len, uy = dy / len;
    int minX = int(std::min(log.x0, log.x1) - log.r - 2), maxX = int(std::max(log.x0, log.x1) + log.r + 2);
    int minY = int(std::min(log.y0, log.y1) - log.r - 2), maxY = int(std::max(log.y0, log.y1) + log.r + 2);
    const float endDepth = 0.42f;
    const int extra = extraOctaves(detail);
    // Every pixel of the design pixels minX..maxX, minY..maxY at this detail.
    const int lastY = std::min((maxY + 1) * detail, img.height()) - 1;
    const int lastX = std::min((maxX + 1) * detail, img.width()) - 1;
    for (int y = std::max(minY * detail, 0); y <= lastY; ++y)
        for (int x = std::max(minX * detail, 0); x <= lastX; ++x) {
            const float fx = designAt(x, detail), fy = designAt(y, detail);
            float px = fx - log.x0, py = fy - log.y0;
            float t = px * ux + py * uy;     // along the log
            float s = -px * uy + py * ux;    // across it, positive downwards
            float n = s / log.r;
            if (std::fabs(n) > 1) continue;
            float beyond = t < 0 ? -t : (t > len ? t - len : 0);
            float endE = beyond / (endDepth * log.r);
            bool endFace = beyond > 0;
            if (endFace && endE * endE + n * n > 1) continue;
            Rgb c;
            if (endFace) {
                float rho = std::sqrt(endE * endE + n * n);
                float rings = 0.5f + 0.5f * std::sin(rho * log.r * 0.8f +
                                                     3 * fbm(fx / 9, fy / 9, log.seed + 3, 2));
                Rgb wood = mix(Rgb{176, 132, 88}, Rgb{128, 88, 56}, rings * 0.7f);
                if (rho > 0.82f) wood = Rgb{52, 38, 28};
                float char1 = smoothstep(0.55f, 0.95f, rho);
                wood = mix(wood, Rgb{35, 25, 20}, char1 * 0.6f);
                float ember = smoothstep(0.72f, 0.8f, rho) * (1 - smoothstep(0.84f, 0.9f, rho));
                c = mix(wood * 0.85f, Rgb{255, 120, 30}, ember * 0.8f);
            } else {
                float theta = std::asin(n);
                float along = t;
                float bark = fbm(along / 22, theta * 2.5f, log.seed, 4 + extra);
                float cracks = std::fabs(std::sin(theta * 7 + 4 * fbm(along / 60, theta, log.seed + 1, 3)));
                float crack = 1 - smoothstep(0.0f, 0.18f, cracks);
                Rgb base = mix(Rgb{30, 22, 18}, Rgb{96, 70, 48}, bark);
                float lightUp = std::sqrt(1 - n * n) * 0.55f + (-n) * 0.3f + 0.35f;
                c = base * std::max(lightUp, 0.15f);
                // Glowing fissures, brightest on the side facing the flames.
                float hot = fbm(along / 30, theta * 3, log.seed + 2, 3 + extra);
                float emberAmt = crack * smoothstep(0.45f, 0.7f, hot) * (0.4f + 0.6f * smoothstep(0.2f, -0.8f, n));
                c = mix(c, Rgb{255, 112, 24}, emberAmt);
                c = c * (1 - 0.6f * crack * (1 - emberAmt));
                // Rim light from the fire behind.
                float rim = smoothstep(-0.55f, -0.95f, n);
                c = c + Rgb{230, 110, 35} * (rim * 0.7f);
                // Shadow underneath, where it rests on the embers.
                c = c * (1 - 0.45f * smoothstep(0.5f, 1.0f, n));
            }
            img.set(x, y, c);
        }
}

}  // namespace

Image paintLogs(int detail) {
    Image img(kLogsW * detail, kLogsH * detail);
    const int extra = extraOctaves(detail);
    // Ember bed and the ash of the firebox floor.
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            float fx = designAt(x, detail), fy = designAt(y, detail);
            float top =
                88 + 10 * fbm(fx / 40, 0, 31, 3 + extra) + 0.00012f * (fx - 317) * (fx - 317);
            if (fy < top) continue;
            float ash = fbm(fx / 10, fy / 6, 32, 4 + extra);
            Rgb c = Rgb{58, 52, 48} * (0.55f + 0.7f * ash);
            float heat = (1 - smoothstep(0, 260, std::fabs(fx - 317))) * (1 - smoothstep(top, top + 50, fy));
            float coal = fbm(fx / 7, fy / 5, 33, 3 + extra);
            float glow = smoothstep(0.5f, 0.75f, coal) * heat;
            c = mix(c, fireColour(0.35f + 0.5f * coal), glow);
            c = c * (0.65f + 0.35f * (1 - smoothstep(top, 165, fy)) + 0.4f * heat);
            img.set(x, y, c);
        }
    const Log logs[] = {
        {60, 62, 565, 52, 26, 41},   // back log
        {390, 78, 530, 62, 16, 42},  // split piece on the right
        {175, 72, 440, 26, 20, 43},  // crossing log on top
        {28, 106, 605, 100, 31, 44}, // front log
    };
    for (const Log& log : logs) paintLog(img, log, detail);
    return img;
}

Image paintAndIron(bool left, int detail) {
    const int w = kAndIronW * detail, h = kAndIronH * detail;
    Image img(w, h);
    const float cx = 115;
    // Lathe profile: radius at each height, and whether that part is brass.
    auto radius = [](float y) -> float {
        if (y < 8) return 0;
        if (y < 44) return std::sqrt(std::max(0.0f, 324 - (y - 26) * (y - 26)));
        if (y < 52) return 6;
        if (y < 58) return 12;
        if (y < 128) return 9 + 22 * std::pow(std::sin(kPi * (y - 58) / 70), 0.8f);
        if (y < 136) return 14;
        if (y < 245) return 7;
        if (y < 263) return 7 + 7 * std::sin(kPi * (y - 245) / 18);
        return 0;
    };
    auto brass = [](float y) { return y < 136 || (y >= 245 && y < 263); };
    auto shade = [](Rgb base, float nx, float ny, float nz, float shine) {
        // Fire light from the inner side, a cool fill from the front.
        float lx = 0.65f, ly = -0.25f, lz = 0.72f;
        float diff = std::max(0.0f, nx * lx + ny * ly + nz * lz);
        float rz = 2 * diff * nz - lz;  // reflection toward the viewer
        float specular = std::pow(std::max(0.0f, rz), 18.0f) * shine;
        float env = 0.85f + 0.15f * std::cos(nx * 6);
        Rgb c = base * ((0.22f + 0.95f * diff) * env);
        c = c * Rgb{1.0f, 0.82f, 0.62f};
        return c + Rgb{255, 225, 170} * specular;
    };
    // The profile's slope over a pixel of this detail: where one part steps to the next, the
    // lit or shadowed rim between them is as narrow as the pixels allow.
    const float step = 1.0f / float(detail);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // This picture's design samples pixel centres at half-pixel positions.
            float fy = designAt(y, detail) + 0.5f, fx = designAt(x, detail) + 0.5f;
            float r = radius(fy);
            float dx = fx - cx;
            if (r > 0.5f && std::fabs(dx) <= r) {
                float nx = dx / r;
                float slope = (radius(fy + step) - radius(fy - step)) * (0.5f / step);
                float nz = std::sqrt(std::max(0.0f, 1 - nx * nx));
                float ny = -slope * nz;
                float len = std::sqrt(nx * nx + ny * ny + nz * nz);
                bool b = brass(fy);
                Rgb base = b ? Rgb{205, 150, 55} : Rgb{58, 52, 48};
                img.set(x, y, shade(base, nx / len, ny / len, nz / len, b ? 1.0f : 0.35f));
            }
        }
    // Scrolled legs of cast iron down to ball feet.
    for (int side = -1; side <= 1; side += 2) {
        float x0 = cx, y0 = 258, x1 = cx + side * 18, y1 = 268, x2 = cx + side * 44, y2 = 296;
        // A disc stamped along the curve, each over the last: as many stamps per pixel
        // at every detail.
        const int stamps = 200 * detail;
        for (int k = 0; k <= stamps; ++k) {
            float t = float(k) / float(stamps);
            float bx = (1 - t) * (1 - t) * x0 + 2 * (1 - t) * t * x1 + t * t * x2;
            float by = (1 - t) * (1 - t) * y0 + 2 * (1 - t) * t * y1 + t * t * y2;
            float lw = 5.5f - 1.5f * t;
            const float scale = float(detail);
            const int rowFrom = int((by - lw - 1) * scale), rowTo = int((by + lw + 1) * scale);
            const int colFrom = int((bx - lw - 1) * scale), colTo = int((bx + lw + 1) * scale);
            for (int y = rowFrom; y <= rowTo; ++y)
                for (int x = colFrom; x <= colTo; ++x) {
                    float ddx = designAt(x, detail) + 0.5f - bx,
                          ddy = designAt(y, detail) + 0.5f - by;
                    float d = std::hypot(ddx, ddy);
                    if (d > lw || !img.inside(x, y)) continue;
                    float nx = ddx / lw, ny = ddy / lw;
                    float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
                    img.set(x, y, shade({58, 52, 48}, nx, ny, nz, 0.35f));
                }
        }
        float fx0 = cx + side * 46, fy0 = 299, fr = 8;
        for (int y = int(fy0 - fr) * detail; y < (int(fy0 + fr) + 1) * detail; ++y)
            for (int x = int(fx0 - fr) * detail; x < (int(fx0 + fr) + 1) * detail; ++x) {
                float ddx = designAt(x, detail) + 0.5f - fx0,
                      ddy = designAt(y, detail) + 0.5f - fy0;
                if (std::hypot(ddx, ddy) > fr || !img.inside(x, y)) continue;
                float nx = ddx / fr, ny = ddy / fr;
                float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
                img.set(x, y, shade({205, 150, 55}, nx, ny, nz, 1.0f));
            }
    }
    if (left) return img;
    Image mirrored(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (img.opaque(w - 1 - x, y)) mirrored.set(x, y, img.get(w - 1 - x, y));
    return mirrored;
}

Image paintIconFlame(int size) {
    Image img(size, size);
    const int ss = 4;  // supersampling for a clean outline at tiny sizes
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Rgb sum;
            int hits = 0;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    float u = (float(x) + (float(sx) + 0.5f) / ss) / float(size);
                    float v = (float(y) + (float(sy) + 0.5f) / ss) / float(size);
                    // Teardrop: round body at the bottom, a tip leaning right at the top.
                    auto inside = [&](float scale, float cy) {
                        float bodyR = 0.30f * scale;
                        float du = u - 0.5f, dv = v - cy;
                        if (dv >= 0) return du * du + dv * dv <= bodyR * bodyR;
                        float tip = cy - 0.62f * scale;
                        if (v < tip) return false;
                        float k = (v - tip) / (cy - tip);
                        float bend = 0.10f * scale * (1 - k) * (1 - k);
                        float half = bodyR * std::pow(k, 0.75f);
                        return std::fabs(du - bend) <= half;
                    };
                    if (!inside(1.0f, 0.66f)) continue;
                    ++hits;
                    Rgb c = {210, 40, 10};
                    if (inside(0.7f, 0.72f)) c = {255, 140, 20};
                    if (inside(0.42f, 0.78f)) c = {255, 230, 120};
                    sum = sum + c;
                }
            if (hits * 2 >= ss * ss) img.set(x, y, sum * (1.0f / float(hits)));
        }
    return img;
}

}  // namespace assetgen
