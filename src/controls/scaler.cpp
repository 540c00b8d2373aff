#include "controls/scaler.h"

#include <algorithm>

namespace hg {

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
    wide_.resize(static_cast<size_t>(sourceWidth));
    first_.resize(xs_.size());
    second_.resize(xs_.size());
    byteWeights_.resize(4 * xs_.size());
    for (size_t x = 0; x < xs_.size(); ++x)
        std::fill_n(byteWeights_.begin() + static_cast<std::ptrdiff_t>(4 * x), 4,
                    static_cast<uint16_t>(xs_[x].weight));
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

// Widens source row `y` over the columns `taps` reach and scales it sideways into `out`, one
// value per destination column of [left, right).
void Scaler::Sideways(const uint16_t* source, int y, int left, int right, uint32_t* out) const {
    const uint16_t* from = source + static_cast<size_t>(y) * sourceWidth_;
    const Tap* xs = xs_.data();
    if (sourceWidth_ == DestWidth()) {
        for (int x = left; x < right; ++x) out[x - left] = Rgb565To888(from[x]);
        return;
    }
    // The two neighbours of each destination column side by side, then one blend along the
    // bytes with a weight per byte: the blend becomes vector code, the gathering stays plain.
    uint32_t* wide = wide_.data();
    for (int x = xs[left].index; x <= xs[right - 1].next; ++x) wide[x] = Rgb565To888(from[x]);
    uint32_t* first = first_.data();
    uint32_t* second = second_.data();
    for (int x = left; x < right; ++x) {
        first[x - left] = wide[xs[x].index];
        second[x - left] = wide[xs[x].next];
    }
    const uint8_t* a = reinterpret_cast<const uint8_t*>(first);
    const uint8_t* b = reinterpret_cast<const uint8_t*>(second);
    const uint16_t* w = byteWeights_.data() + 4 * static_cast<size_t>(left);
    uint8_t* o = reinterpret_cast<uint8_t*>(out);
    for (int i = 0; i < 4 * (right - left); ++i)
        o[i] = static_cast<uint8_t>((a[i] * (256 - w[i]) + b[i] * w[i]) >> 8);
}

// Sideways first, once per source row, then down, two scaled rows at a time: the second pass
// runs straight along memory, byte by byte, which compilers turn into vector code.
void Scaler::Scale(const uint16_t* source, uint32_t* dest, int destStride, const Area& area) const {
    const Area a = area.Intersect({0, 0, DestWidth(), DestHeight()});
    if (a.Empty()) return;
    const int w = a.Width();
    if (static_cast<int>(rows_[0].size()) < w)
        for (auto& r : rows_) r.resize(static_cast<size_t>(w));
    int held[2] = {-1, -1};  // the source row each of rows_ holds
    auto row = [&](int y) -> const uint32_t* {
        for (int k = 0; k < 2; ++k)
            if (held[k] == y) return rows_[k].data();
        // Rows are asked for in rising order: the slot of the lower one is free.
        const int k = held[0] < held[1] ? 0 : 1;
        Sideways(source, y, a.left, a.right, rows_[k].data());
        held[k] = y;
        return rows_[k].data();
    };
    for (int y = a.top; y < a.bottom; ++y) {
        const Tap& t = ys_[static_cast<size_t>(y)];
        uint32_t* out = dest + static_cast<size_t>(y) * destStride + a.left;
        const uint32_t* upper = row(t.index);
        if (t.weight == 0) {
            std::copy(upper, upper + w, out);
            continue;
        }
        const uint32_t* lower = row(t.next);
        upper = row(t.index);  // still held: two slots, two rows
        const uint8_t* u = reinterpret_cast<const uint8_t*>(upper);
        const uint8_t* l = reinterpret_cast<const uint8_t*>(lower);
        uint8_t* o = reinterpret_cast<uint8_t*>(out);
        const uint16_t wl = static_cast<uint16_t>(t.weight), wu = static_cast<uint16_t>(256 - wl);
        for (int i = 0; i < 4 * w; ++i) o[i] = static_cast<uint8_t>((u[i] * wu + l[i] * wl) >> 8);
    }
}

}  // namespace hg
