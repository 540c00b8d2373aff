// Flames, logs, andirons and the flame of the window icon.
#include <algorithm>
#include <cmath>
#include <vector>

#include "art.h"

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265358979f;

// Fire colour ramp over intensity 0..1: the embers of the log bed.
Rgb fireColour(float i) {
    static const Rgb stops[] = {{110, 12, 0},   {190, 38, 4},    {238, 96, 14},
                                {255, 160, 38}, {255, 214, 100}, {255, 246, 205}};
    static const float at[] = {0.0f, 0.12f, 0.32f, 0.55f, 0.78f, 1.0f};
    i = clamp01(i);
    for (int s = 1; s < 6; ++s)
        if (i <= at[s]) return mix(stops[s - 1], stops[s], (i - at[s - 1]) / (at[s] - at[s - 1]));
    return stops[5];
}

// The colour of flame gas at temperature t (0 cold .. 1 the hottest, at the root), as a
// glowing black body goes: deep red, orange, yellow, then nearly white.
Rgb flameColour(float t) {
    static const Rgb stops[] = {{70, 6, 0},     {170, 24, 2},   {222, 62, 6},
                                {252, 132, 24}, {255, 206, 80}, {255, 248, 212}};
    static const float at[] = {0.0f, 0.25f, 0.42f, 0.62f, 0.80f, 1.0f};
    t = clamp01(t);
    for (int s = 1; s < 6; ++s)
        if (t <= at[s]) return mix(stops[s - 1], stops[s], (t - at[s - 1]) / (at[s] - at[s - 1]));
    return stops[5];
}

// The fire is a row of tongues rooted in the ember bed behind the back log. Each grows for
// six pictures and falls back in one, when its tip has broken off; some of those tips rise
// on as a wisp for a picture and fade in the next. Every tongue is swayed by a wave running
// up it, and all of them are stirred by noise that rises through the picture: the noise is
// periodic in height and rises one period in the ten pictures, the tables and waves repeat
// every ten, so the tenth picture flows into the first. Drawing the tongues as shapes, not
// simulating the gas, keeps the flames in one body (a simulation breaks up into puffs) and
// lets the finer pictures show the same flames at their own detail.
constexpr float kRoot = 450;  // the ember bed's line, hidden behind the back log
constexpr float kGrowth[kFlameFrames] = {0.56f, 0.65f, 0.74f, 0.83f, 0.92f,
                                         1.00f, 0.68f, 0.56f, 0.51f, 0.52f};
constexpr int kTallest = 5;  // the picture of kGrowth whose tip breaks off

struct Tongue {
    float x, height, halfWidth, lean, swayAmp, wavelength, phase;
    int offset;  // where in kGrowth this tongue's first picture is
    bool wisp;   // whether its broken tip rises on visibly
};
const Tongue kTongues[] = {
    {112, 161, 36, -0.12f, 25, 150, 0.3f, 2, false},
    {150, 138, 26, -0.08f, 22, 120, 3.3f, 7, false},
    {178, 236, 42, -0.07f, 32, 170, 2.1f, 9, true},
    {228, 305, 46, -0.04f, 38, 160, 4.0f, 2, true},
    {258, 172, 26, 0.06f, 25, 130, 0.2f, 1, false},
    {284, 259, 38, 0.02f, 34, 180, 1.2f, 7, false},
    {330, 374, 50, -0.01f, 43, 175, 5.1f, 0, true},
    {356, 218, 28, 0.05f, 29, 140, 2.9f, 4, false},
    {384, 333, 46, 0.03f, 40, 165, 2.7f, 5, true},
    {432, 288, 42, 0.06f, 36, 185, 0.8f, 8, false},
    {458, 184, 26, -0.04f, 25, 125, 4.4f, 6, false},
    {484, 310, 42, 0.05f, 36, 160, 3.6f, 3, true},
    {528, 230, 38, 0.08f, 31, 150, 5.6f, 4, false},
    {568, 155, 34, 0.13f, 23, 140, 1.9f, 9, false},
};
constexpr int kTongueCount = int(sizeof(kTongues) / sizeof(kTongues[0]));

// One tongue as it stands in one picture.
struct TongueNow {
    float x, height, halfWidth, lean, swayAmp, wavelength, phase;
    // Where its axis runs at `up` pixels above the root.
    float axis(float up) const {
        float v = clamp01(up / height);
        return x + lean * up +
               swayAmp * std::pow(v, 1.2f) * std::sin(2 * kPi * up / wavelength - phase);
    }
};

TongueNow tongueAt(const Tongue& t, int frame) {
    const float turn = 2 * kPi * float(frame) / kFlameFrames;
    // The whole fire breathes too, so the light on the firebox flickers.
    const float breath = 1 + 0.05f * std::sin(turn) + 0.04f * std::sin(2 * turn + 1.0f);
    const float growth = kGrowth[(frame + t.offset) % kFlameFrames];
    return {t.x + 12 * std::sin(2 * turn + t.phase),
            t.height * growth * breath,
            t.halfWidth * (0.9f + 0.1f * growth),
            t.lean,
            t.swayAmp,
            t.wavelength,
            2 * turn + t.phase};
}

// A broken tip: an ellipse of gas that is no longer fed.
struct Wisp {
    float x, y, rx, ry, heat;
};

// A spark thrown up from a tongue's tip: a speck a pixel or two across on the screen, so the
// finer pictures show it as a dot where the 800 x 600 one has a glint.
struct Spark {
    float x, y, heat;
};
constexpr float kSparkRadius = 1.1f;

// How hot the fire is at a point of the picture (already displaced by the stirring noise).
float heatAt(float fx, float fy, const TongueNow* tongues, const Wisp* wisps, int wispCount) {
    const float up = kRoot - fy;
    // The bed: hottest along the root, only a few pixels tall.
    float bed = smoothstep(70, 130, fx) * (1 - smoothstep(560, 615, fx));
    bed *= up >= 0 ? 1.05f * std::exp(-up / 16) : std::max(0.0f, 1 + up / 14);
    float sum = bed * bed * bed * bed;
    if (up > 0)
        for (int i = 0; i < kTongueCount; ++i) {
            const TongueNow& t = tongues[i];
            if (up >= t.height) continue;
            float v = up / t.height;
            float halfWidth = t.halfWidth * std::pow(1 - v, 0.6f) * (1 + 0.2f * std::sin(kPi * v));
            float d = std::fabs(fx - t.axis(up)) / halfWidth;
            if (d >= 1) continue;
            float heat = (1.02f - 0.8f * v) * (1 - d * d);
            sum += heat * heat * heat * heat;
        }
    for (int i = 0; i < wispCount; ++i) {
        const Wisp& w = wisps[i];
        float dx = (fx - w.x) / w.rx, dy = (fy - w.y) / w.ry;
        float d2 = dx * dx + dy * dy;
        if (d2 < 1) {
            float heat = w.heat * (1 - d2);
            sum += heat * heat * heat * heat;
        }
    }
    // A soft union: where tongues meet they blend instead of creasing.
    return std::sqrt(std::sqrt(sum));
}

// The light the flames of one picture throw on the firebox, on a coarse grid: each tongue
// is a lamp as strong as it is big, standing at a third of its height.
class FireLight {
  public:
    static constexpr int kStep = 6;
    explicit FireLight(const TongueNow* tongues) {
        cols_ = kFlameW / kStep + 2;
        rows_ = kFlameH / kStep + 2;
        grid_.resize(size_t(cols_) * size_t(rows_));
        for (int r = 0; r < rows_; ++r)
            for (int c = 0; c < cols_; ++c) {
                const float x = float(c * kStep), y = float(r * kStep);
                float light = 0;
                for (int i = 0; i < kTongueCount; ++i) {
                    const TongueNow& t = tongues[i];
                    const float ly = kRoot - 0.35f * t.height, lx = t.axis(0.35f * t.height);
                    const float power = std::pow(t.height / 290.0f, 2.0f) * t.halfWidth / 40.0f;
                    const float dist = std::hypot(x - lx, (y - ly) * 1.2f);
                    // Out of reach beyond 480 pixels, so the far corners stay as they are.
                    const float reach = std::max(0.0f, 1 - dist / 480);
                    light += power * (0.4f * std::exp(-dist / 160) * reach * reach +
                                      0.3f * std::exp(-dist / 50));
                }
                // The ember bed glows whatever the flames do.
                const float bed =
                    std::hypot(std::max(0.0f, std::fabs(x - 340) - 220), (y - kRoot) * 1.2f);
                light += 0.65f * std::exp(-bed / 150);
                grid_[size_t(r) * size_t(cols_) + size_t(c)] = light;
            }
    }
    float at(float fx, float fy) const {
        float gx = std::clamp(fx / kStep, 0.0f, float(cols_ - 1) - 0.001f);
        float gy = std::clamp(fy / kStep, 0.0f, float(rows_ - 1) - 0.001f);
        int c = int(gx), r = int(gy);
        float tx = gx - float(c), ty = gy - float(r);
        auto g = [&](int rr, int cc) { return grid_[size_t(rr) * size_t(cols_) + size_t(cc)]; };
        float top = g(r, c) + (g(r, c + 1) - g(r, c)) * tx;
        float bottom = g(r + 1, c) + (g(r + 1, c + 1) - g(r + 1, c)) * tx;
        return top + (bottom - top) * ty;
    }

  private:
    int cols_ = 0, rows_ = 0;
    std::vector<float> grid_;
};

// Soot-darkened firebrick of the firebox: back wall, angled side walls, floor; lit by `light`.
Rgb fireboxColour(float fx, float fy, float light, int extra) {
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
        albedo = albedo * (0.25f + 0.75f * smoothstep(80, 380, fy) *
                                       (0.6f + 0.4f * fbm(fx / 40, fy / 30, 13, 3)));
    } else if (part == Floor) {
        float ash = fbm(fx / 12, fy / 8, 14, 4 + extra);
        albedo = Rgb{62, 56, 52} * (0.6f + 0.6f * ash);
        facing = 0.9f;
    } else {
        albedo = {20, 16, 14};
        facing = 0.3f;
    }
    const float glow = light * facing;
    return albedo * Rgb{0.10f + 1.25f * glow, 0.08f + 0.62f * glow, 0.07f + 0.28f * glow};
}

}  // namespace

Image paintFlame(int frame, int detail) {
    Image img(kFlameW * detail, kFlameH * detail);
    frame %= kFlameFrames;
    const int extra = extraOctaves(detail);
    TongueNow tongues[kTongueCount];
    for (int i = 0; i < kTongueCount; ++i) tongues[i] = tongueAt(kTongues[i], frame);
    // The tips that broke off in the two pictures before: rising, the older one fading.
    Wisp wisps[2 * kTongueCount];
    int wispCount = 0;
    for (const Tongue& t : kTongues) {
        if (!t.wisp) continue;
        const int age = (frame + t.offset - kTallest + 2 * kFlameFrames) % kFlameFrames;
        if (age < 1 || age > 2) continue;
        const TongueNow tallest = tongueAt(t, (frame - age + kFlameFrames) % kFlameFrames);
        const float tipUp = 0.76f * tallest.height;
        const float x = tallest.axis(tipUp), y = kRoot - tipUp;
        if (age == 1)
            wisps[wispCount++] = {x + 2 * tallest.lean * 40, y - 12, 8.5f, 14, 0.7f};
        else
            wisps[wispCount++] = {x + 3 * tallest.lean * 40, y - 60, 10, 16, 0.33f};
    }
    // Sparks live three pictures, each born at a tongue's tip; where and when is drawn once
    // from a fixed seed, so every run throws the same ones.
    Spark sparks[16];
    int sparkCount = 0;
    Prng sparkRandom(29);
    for (int j = 0; j < 16; ++j) {
        const int tongue = sparkRandom.range(2, kTongueCount - 3);
        const int born = sparkRandom.range(0, kFlameFrames - 1);
        const float drift = sparkRandom.uniform(-9, 9), climb = sparkRandom.uniform(28, 44);
        const int age = (frame - born + kFlameFrames) % kFlameFrames;
        if (age > 2) continue;
        const TongueNow t = tongueAt(kTongues[tongue], born);
        const float tipUp = 0.82f * t.height;
        sparks[sparkCount++] = {t.axis(tipUp) + drift * float(age) + 2 * float(age * age),
                                kRoot - tipUp - 12 - climb * float(age), 1.0f - 0.18f * float(age)};
    }
    const FireLight light(tongues);
    // The stirring noise rises one period (kRise cells) in the ten pictures.
    constexpr int kRise = 8, kSwirl = 10, kTear = 20;
    const float rise = float(kRise * frame) / kFlameFrames;
    const float tearRise = float(kTear * frame) / kFlameFrames;
    const float swirl = float(kSwirl * frame) / kFlameFrames;
    const int octaves = 4 + extra;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const float fx = designAt(x, detail), fy = designAt(y, detail);
            const float up = kRoot - fy;
            // Stirring grows with height: the root is steady, the tips are torn about.
            const float stir = 0.2f + 0.8f * smoothstep(0, 250, up);
            const float wx = fbm(fx / 38, fy / 46 + rise, 24, octaves, 0, kRise) - 0.5f;
            const float wy = fbm(fx / 38 + 31.5f, fy / 46 + rise, 25, octaves, 0, kRise) - 0.5f;
            // Finer eddies tear at the upper flames only.
            const float tear = 7 * smoothstep(100, 300, up);
            const float ex = fbm(fx / 13, fy / 16 + tearRise, 27, octaves - 1, 0, kTear) - 0.5f;
            const float sx = fx + 34 * wx * stir + tear * ex, sy = fy + 20 * wy * stir;
            float heat = heatAt(sx, sy, tongues, wisps, wispCount);
            // Hotter and cooler gas rising through the body of the flames.
            const float mottle = fbm(fx / 26, fy / 34 + swirl, 26, 3, 0, kSwirl);
            heat *= 1 + (mottle - 0.5f) * 0.35f * smoothstep(0.45f, 0.75f, heat);
            Rgb c = fireboxColour(fx, fy, light.at(fx, fy), extra);
            const float opacity = smoothstep(0.06f, 0.42f, heat);
            if (opacity > 0) c = mix(c, flameColour(heat), opacity);
            for (int i = 0; i < sparkCount; ++i) {
                const float dx = (fx - sparks[i].x) / kSparkRadius;
                const float dy = (fy - sparks[i].y) / (1.6f * kSparkRadius);
                const float d2 = dx * dx + dy * dy;
                if (d2 < 9) c = mix(c, flameColour(sparks[i].heat), std::exp(-d2));
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
