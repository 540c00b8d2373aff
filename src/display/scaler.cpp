#include "display/scaler.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    wide_.resize(static_cast<size_t>(sourceWidth) + 1);
    columnWeights_.resize(8 * xs_.size());
    for (size_t x = 0; x < xs_.size(); ++x) {
        uint16_t* w = &columnWeights_[8 * x];
        std::fill_n(w, 4, static_cast<uint16_t>(256 - xs_[x].weight));
        std::fill_n(w + 4, 4, static_cast<uint16_t>(xs_[x].weight));
    }
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

Area Scaler::Sources(const Area& dest) const {
    const Area d = dest.Intersect({0, 0, DestWidth(), DestHeight()});
    if (d.Empty()) return {};
    const auto l = static_cast<size_t>(d.left), r = static_cast<size_t>(d.right - 1);
    const auto t = static_cast<size_t>(d.top), b = static_cast<size_t>(d.bottom - 1);
    return {xs_[l].index, ys_[t].index, xs_[r].next + 1, ys_[b].next + 1};
}

namespace {

#if defined(__SSE2__)
// One destination pixel's two neighbours (side by side in `wide`) weighed byte by byte: the
// eight products, the first neighbour's in the low half.
inline __m128i Weighed(const uint32_t* pair, const uint16_t* weights) {
    const __m128i both = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pair));
    return _mm_mullo_epi16(_mm_unpacklo_epi8(both, _mm_setzero_si128()),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights)));
}

// Two pixels' products summed into their blends, as 16-bit channels.
inline __m128i Blend2(__m128i first, __m128i second) {
    return _mm_srli_epi16(
        _mm_add_epi16(_mm_unpacklo_epi64(first, second), _mm_unpackhi_epi64(first, second)), 8);
}
#endif

}  // namespace

// Scales source row `y` sideways into `out`, one value per destination column of [left, right).
void Scaler::Sideways(const uint32_t* source, int y, int left, int right, uint32_t* out) const {
    const uint32_t* from = source + static_cast<size_t>(y) * sourceWidth_;
    if (sourceWidth_ == DestWidth()) {
        std::copy(from + left, from + right, out);
        return;
    }
    const Tap* xs = xs_.data();
    // The paired loads below read one pixel beyond the last column they reach. Inside the
    // source that pixel is the row's next one, or the next row's first; only at the very end of
    // the source are the columns copied beside a spare pixel of our own.
    const int lo = xs[left].index, hi = xs[right - 1].next;
    const uint32_t* wide = from;
    if (hi + 1 >= sourceWidth_ && y + 1 >= sourceHeight_) {
        std::copy(from + lo, from + hi + 1, wide_.data() + lo);
        wide = wide_.data();
    }
    int x = left;
#if defined(__SSE2__)
    // Both neighbours come in one load; a neighbour beyond the edge has weight 0, and the spare
    // pixel at the row's end keeps that load inside the row's memory.
    const uint16_t* w = columnWeights_.data();
    for (; x + 4 <= right; x += 4) {
        const __m128i a = Blend2(Weighed(wide + xs[x].index, w + 8 * x),
                                 Weighed(wide + xs[x + 1].index, w + 8 * (x + 1)));
        const __m128i b = Blend2(Weighed(wide + xs[x + 2].index, w + 8 * (x + 2)),
                                 Weighed(wide + xs[x + 3].index, w + 8 * (x + 3)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (x - left)), _mm_packus_epi16(a, b));
    }
#endif
    for (; x < right; ++x) {
        const uint32_t a = wide[xs[x].index], b = wide[xs[x].next], wb = xs[x].weight;
        uint32_t blended = 0;
        for (int shift = 0; shift < 24; shift += 8)
            blended |= ((((a >> shift) & 255) * (256 - wb) + ((b >> shift) & 255) * wb) >> 8)
                       << shift;
        out[x - left] = blended;
    }
}

// Sideways first, once per source row, then down, two scaled rows at a time: the second pass
// runs straight along memory, byte by byte, which compilers turn into vector code.
void Scaler::Scale(const uint32_t* source, uint32_t* dest, int destStride, const Area& area) const {
    const Area a = area.Intersect({0, 0, DestWidth(), DestHeight()});
    if (a.Empty()) return;
    const int w = a.Width();
    if (sourceWidth_ == DestWidth() && sourceHeight_ == DestHeight()) {
        for (int y = a.top; y < a.bottom; ++y) {
            const uint32_t* from = source + static_cast<size_t>(y) * sourceWidth_ + a.left;
            std::copy(from, from + w, dest + static_cast<size_t>(y) * destStride + a.left);
        }
        return;
    }
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
