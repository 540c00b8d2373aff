#include "controls/scaler.h"

#include <algorithm>

namespace hg {

namespace {

// Both pixels 0x00RRGGBB; `w` from 0 (all a) to 256 (all b). Red and blue share one multiply,
// their lanes sixteen bits apart, so no carry crosses from one into the other.
inline uint32_t Blend(uint32_t a, uint32_t b, uint32_t w) {
    const uint32_t v = 256 - w;
    const uint32_t rb = ((a & 0xFF00FF) * v + (b & 0xFF00FF) * w) >> 8;
    const uint32_t g = ((a & 0xFF00) * v + (b & 0xFF00) * w) >> 8;
    return (rb & 0xFF00FF) | (g & 0xFF00);
}

}  // namespace

std::vector<Scaler::Tap> Scaler::Taps(int source, int dest) {
    std::vector<Tap> taps(static_cast<size_t>(std::max(0, dest)));
    for (int d = 0; d < dest; ++d) {
        // The centre of destination pixel d, in source pixels, in 1/256ths and exact integers:
        // ((d + 1/2) * source / dest - 1/2) * 256.
        const int64_t twice = (2 * int64_t{d} + 1) * source - dest;
        const int64_t pos = twice <= 0 ? 0 : twice * 256 / (2 * int64_t{dest});
        Tap t{static_cast<int32_t>(pos >> 8), 0, static_cast<uint32_t>(pos & 255)};
        if (t.index >= source - 1)
            t = {source - 1, source - 1, 0};
        else
            t.next = t.index + 1;
        if (t.weight == 0) t.next = t.index;
        taps[static_cast<size_t>(d)] = t;
    }
    return taps;
}

Scaler::Scaler(int sourceWidth, int sourceHeight, int destWidth, int destHeight)
    : sourceWidth_(sourceWidth), sourceHeight_(sourceHeight) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || destWidth <= 0 || destHeight <= 0) return;
    xs_ = Taps(sourceWidth, destWidth);
    ys_ = Taps(sourceHeight, destHeight);
    row_.resize(static_cast<size_t>(sourceWidth));
}

// The destination range [lo, hi) whose taps touch the source range [first, last].
void Scaler::Span(const std::vector<Tap>& taps, int first, int last, int& lo, int& hi) {
    auto a = std::partition_point(taps.begin(), taps.end(),
                                  [&](const Tap& t) { return t.next < first; });
    auto b = std::partition_point(a, taps.end(), [&](const Tap& t) { return t.index <= last; });
    lo = static_cast<int>(a - taps.begin());
    hi = static_cast<int>(b - taps.begin());
}

Area Scaler::Affected(const Area& source) const {
    const Area s = source.Intersect({0, 0, sourceWidth_, sourceHeight_});
    if (s.Empty() || xs_.empty()) return {};
    Area d;
    Span(xs_, s.left, s.right - 1, d.left, d.right);
    Span(ys_, s.top, s.bottom - 1, d.top, d.bottom);
    return d.Empty() ? Area{} : d;
}

void Scaler::Scale(const uint16_t* source, uint32_t* dest, int destStride, const Area& area) const {
    const Area a = area.Intersect({0, 0, DestWidth(), DestHeight()});
    if (a.Empty()) return;
    const Tap* xs = xs_.data();
    const int firstColumn = xs[a.left].index, lastColumn = xs[a.right - 1].next;
    const bool sameWidth = sourceWidth_ == DestWidth();
    for (int y = a.top; y < a.bottom; ++y) {
        const Tap& ty = ys_[static_cast<size_t>(y)];
        const uint16_t* r0 = source + static_cast<size_t>(ty.index) * sourceWidth_;
        const uint16_t* r1 = source + static_cast<size_t>(ty.next) * sourceWidth_;
        uint32_t* out = dest + static_cast<size_t>(y) * destStride;
        uint32_t* row = row_.data();
        if (ty.weight == 0) {
            for (int x = firstColumn; x <= lastColumn; ++x) row[x] = Rgb565To888(r0[x]);
        } else {
            for (int x = firstColumn; x <= lastColumn; ++x)
                row[x] = Blend(Rgb565To888(r0[x]), Rgb565To888(r1[x]), ty.weight);
        }
        if (sameWidth) {
            std::copy(row + a.left, row + a.right, out + a.left);
            continue;
        }
        for (int x = a.left; x < a.right; ++x) {
            const Tap& tx = xs[x];
            out[x] = Blend(row[tx.index], row[tx.next], tx.weight);
        }
    }
}

}  // namespace hg
