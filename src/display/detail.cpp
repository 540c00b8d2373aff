#include "display/detail.h"

#include <algorithm>
#include <cstdlib>

namespace hg {

namespace {

// How far a shrunk twin may stray from its picture and still be the same picture: the
// generator paints the twin's every pixel at its own place, so edges and grain differ a little
// from the small picture's, but a different picture differs in far more.
constexpr int kMatchMeanDifference = 12;   // per channel, on pixels opaque in both
constexpr int kMatchHoleDisagreement = 4;  // percent of pixels opaque in one only

}  // namespace

int DetailFor(int hearthHeight) {
    for (int k = 1; k < kMaxDetail; ++k)
        if (int64_t{hearthHeight} * 100 <= int64_t{k} * Compositor::kHeight * kMaxEnlargementPercent)
            return k;
    return kMaxDetail;
}

Area ToLogical(const Area& area, int detail) {
    if (area.Empty()) return {};
    auto down = [detail](int v) { return v >= 0 ? v / detail : -((-v + detail - 1) / detail); };
    return {down(area.left), down(area.top), -down(-area.right), -down(-area.bottom)};
}

Area ToDetail(const Area& area, int detail) {
    return {area.left * detail, area.top * detail, area.right * detail, area.bottom * detail};
}

int PlaceAtDetail(int32_t place, int detail) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{place} * detail, -(1 << 24), 1 << 24));
}

int TextHeight(int32_t size) {
    return size <= 0 ? kDefaultTextHeight : std::min<int32_t>(size, Compositor::kHeight);
}

TextFont FontAtDetail(const TextFont& font, int detail) {
    TextFont f = font;
    f.size = TextHeight(font.size) * std::max(1, detail);
    return f;
}

std::string TwinPath(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const char separator = slash == std::string::npos ? '/' : path[slash];
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (const size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    return folder + "HighDetail" + separator + name + ".png";
}

RgbaImage Enlarged(const Picture& p, int detail) {
    RgbaImage out;
    if (p.Empty() || detail < 1) return out;
    const int w = p.Width(), h = p.Height();
    out.width = w * detail;
    out.height = h * detail;
    out.pixels.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
    // Each new pixel's centre in the picture's pixels, as a pixel and a weight of the next in
    // 1/256ths; the same for every row and column of the same phase.
    struct Tap {
        int at;
        uint32_t weight;
    };
    auto taps = [detail](int size) {
        std::vector<Tap> t(static_cast<size_t>(size) * detail);
        for (size_t i = 0; i < t.size(); ++i) {
            const int twice = (2 * static_cast<int>(i) + 1) - detail;  // 2 * detail * position
            const int pos = twice <= 0 ? 0 : twice * 128 / detail;
            t[i] = {std::min(pos >> 8, size - 1), static_cast<uint32_t>(pos & 255)};
        }
        return t;
    };
    const std::vector<Tap> xs = taps(w), ys = taps(h);
    for (int y = 0; y < out.height; ++y) {
        const Tap ty = ys[static_cast<size_t>(y)];
        const int y1 = std::min(ty.at + 1, h - 1);
        const int ny = y / detail;
        uint8_t* dst = out.pixels.data() + static_cast<size_t>(y) * out.width * 4;
        for (int x = 0; x < out.width; ++x, dst += 4) {
            if (!p.Opaque(x / detail, ny)) continue;
            const Tap tx = xs[static_cast<size_t>(x)];
            const int x1 = std::min(tx.at + 1, w - 1);
            const int px[4] = {tx.at, x1, tx.at, x1};
            const int py[4] = {ty.at, ty.at, y1, y1};
            const uint32_t wt[4] = {(256 - tx.weight) * (256 - ty.weight),
                                    tx.weight * (256 - ty.weight), (256 - tx.weight) * ty.weight,
                                    tx.weight * ty.weight};
            uint64_t r = 0, g = 0, b = 0, total = 0;
            for (int i = 0; i < 4; ++i) {
                if (wt[i] == 0 || !p.Opaque(px[i], py[i])) continue;
                const uint32_t c = p.Row(py[i])[px[i]];
                r += uint64_t{(c >> 16) & 255} * wt[i];
                g += uint64_t{(c >> 8) & 255} * wt[i];
                b += uint64_t{c & 255} * wt[i];
                total += wt[i];
            }
            if (total == 0) {  // only its own pixel, which weighs nothing at this phase
                const uint32_t c = p.Row(ny)[x / detail];
                r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255, total = 1;
            }
            dst[0] = static_cast<uint8_t>((r + total / 2) / total);
            dst[1] = static_cast<uint8_t>((g + total / 2) / total);
            dst[2] = static_cast<uint8_t>((b + total / 2) / total);
            dst[3] = 255;
        }
    }
    return out;
}

RgbaImage Resampled(const uint8_t* rgba, int width, int height, int64_t keyColour, int toWidth,
                    int toHeight) {
    RgbaImage out;
    if (!rgba || width <= 0 || height <= 0 || toWidth <= 0 || toHeight <= 0) return out;
    out.width = toWidth;
    out.height = toHeight;
    out.pixels.assign(static_cast<size_t>(toWidth) * toHeight * 4, 0);
    // Which source pixels a new one covers and by how much, in units of 1 / (to size): a new
    // pixel spans `size` of them, a source pixel `to` of them.
    struct Cover {
        int first;
        std::vector<uint32_t> weights;
    };
    auto covers = [](int size, int to) {
        std::vector<Cover> c(static_cast<size_t>(to));
        for (int d = 0; d < to; ++d) {
            const int64_t lo = int64_t{d} * size, hi = lo + size;  // in 1/to source pixels
            Cover& cv = c[static_cast<size_t>(d)];
            cv.first = static_cast<int>(lo / to);
            for (int64_t s = cv.first; s * to < hi && s < size; ++s)
                cv.weights.push_back(
                    static_cast<uint32_t>(std::min(hi, (s + 1) * to) - std::max(lo, s * to)));
        }
        return c;
    };
    const std::vector<Cover> xs = covers(width, toWidth), ys = covers(height, toHeight);
    const uint64_t area = uint64_t(width) * uint64_t(height);  // a new pixel's, in those units
    for (int y = 0; y < toHeight; ++y) {
        const Cover& cy = ys[static_cast<size_t>(y)];
        for (int x = 0; x < toWidth; ++x) {
            const Cover& cx = xs[static_cast<size_t>(x)];
            uint64_t r = 0, g = 0, b = 0, covered = 0;
            for (size_t j = 0; j < cy.weights.size(); ++j) {
                const uint8_t* row =
                    rgba + (static_cast<size_t>(cy.first) + j) * static_cast<size_t>(width) * 4;
                for (size_t i = 0; i < cx.weights.size(); ++i) {
                    const uint8_t* px = row + (static_cast<size_t>(cx.first) + i) * 4;
                    const uint32_t colour = px[0] | (px[1] << 8) | (px[2] << 16);
                    if (px[3] < 128 || static_cast<int64_t>(colour) == keyColour) continue;
                    const uint64_t wgt = uint64_t{cx.weights[i]} * cy.weights[j];
                    r += px[0] * wgt, g += px[1] * wgt, b += px[2] * wgt, covered += wgt;
                }
            }
            if (covered * 2 < area) continue;
            uint8_t* dst = out.pixels.data() + (static_cast<size_t>(y) * toWidth + x) * 4;
            dst[0] = static_cast<uint8_t>((r + covered / 2) / covered);
            dst[1] = static_cast<uint8_t>((g + covered / 2) / covered);
            dst[2] = static_cast<uint8_t>((b + covered / 2) / covered);
            dst[3] = 255;
        }
    }
    return out;
}

bool TwinMatches(const uint8_t* rgba, int width, int height, const Picture& picture) {
    const int w = picture.Width(), h = picture.Height();
    if (!rgba || picture.Empty() || width != w * kTwinDetail || height != h * kTwinDetail)
        return false;
    const RgbaImage back = Resampled(rgba, width, height, -1, w, h);
    uint64_t difference = 0, both = 0, disagree = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* t = back.pixels.data() + (static_cast<size_t>(y) * w + x) * 4;
            const bool opaque = picture.Opaque(x, y);
            if (opaque != (t[3] != 0)) {
                ++disagree;
                continue;
            }
            if (!opaque) continue;
            const uint32_t c = picture.Row(y)[x];
            difference += std::abs(int((c >> 16) & 255) - t[0]) +
                          std::abs(int((c >> 8) & 255) - t[1]) + std::abs(int(c & 255) - t[2]);
            ++both;
        }
    return disagree * 100 <= uint64_t(w) * h * kMatchHoleDisagreement &&
           difference <= both * 3 * kMatchMeanDifference;
}

}  // namespace hg
