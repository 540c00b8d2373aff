#include "display/scaler.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// On x86 the faster paths are compiled whatever the build's own target (the 32-bit Windows
// build assumes SSE2 alone) and chosen when the processor is asked at run time.
#if defined(__SSE2__) && defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#define HG_SCALER_DISPATCH 1
#include <immintrin.h>
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
    wide_.resize(static_cast<size_t>(sourceWidth) + 8);
    columnWeights_.resize(8 * xs_.size());
    for (size_t x = 0; x < xs_.size(); ++x) {
        uint16_t* w = &columnWeights_[8 * x];
        std::fill_n(w, 4, static_cast<uint16_t>(256 - xs_[x].weight));
        std::fill_n(w + 4, 4, static_cast<uint16_t>(xs_[x].weight));
    }
#if defined(HG_SCALER_DISPATCH)
    for (auto& s : pairShuffles_) s.resize(8 * xs_.size());
    pairWeights_.resize(8 * xs_.size());
    for (size_t x = 0; x < xs_.size(); ++x) {
        const uint32_t wb = xs_[x].weight;
        for (int c = 0; c < 4; ++c) {
            for (int parity = 0; parity < 2; ++parity) {
                uint8_t* s = &pairShuffles_[parity][8 * x + 2 * c];
                const int half = 8 * static_cast<int>((x + parity) & 1);
                s[0] = static_cast<uint8_t>(half + c);
                s[1] = static_cast<uint8_t>(wb ? half + 4 + c : half + c);
            }
            pairWeights_[8 * x + 2 * c] = static_cast<uint8_t>(wb ? 256 - wb : 128);
            pairWeights_[8 * x + 2 * c + 1] = static_cast<uint8_t>(wb ? wb : 128);
        }
    }
    BuildBlocks();
#endif
    path_ = Path::Plain;
    for (Path p : {Path::Sse2, Path::Ssse3, Path::Avx2})
        if (Runs(p)) path_ = p;
}

#if defined(HG_SCALER_DISPATCH)
// A block's eight columns go in two registers: the first holds columns 0, 1 | 4, 5 and the
// second 2, 3 | 6, 7, each half reading the window of its four columns. A window starts at the
// first of the four's first neighbour; the second window one pixel on, so that a neighbour pair
// lies at the same place in both. The shuffles lay the first neighbour's channels from the
// first window on even bytes and the second's from the second window on odd ones; a column
// that reads one pixel whole takes it twice from the first window, at 128 and 128.
void Scaler::BuildBlocks() {
    const int count = static_cast<int>(xs_.size() + 7) / 8;
    auto tap = [&](int x) { return xs_[static_cast<size_t>(std::min<int>(x, DestWidth() - 1))]; };
    for (int x = 0; x + 3 < 8 * count; x += 4)
        if (tap(x + 3).index - tap(x).index > 3) return;
    blocks_.assign(static_cast<size_t>(count) * kBlockBytes, 0);
    for (int b = 0; b < count; ++b) {
        uint8_t* block = &blocks_[static_cast<size_t>(b) * kBlockBytes];
        for (int r = 0; r < 2; ++r)
            for (int half = 0; half < 2; ++half)
                for (int j = 0; j < 2; ++j) {
                    const int x = 8 * b + 4 * half + 2 * r + j;
                    const int d = 4 * (tap(x).index - tap(8 * b + 4 * half).index);
                    const uint32_t wb = tap(x).weight;
                    const int at = 32 * r + 16 * half + 8 * j;
                    for (int c = 0; c < 4; ++c) {
                        block[at + 2 * c] = static_cast<uint8_t>(d + c);
                        block[at + 2 * c + 1] = static_cast<uint8_t>(wb ? 0x80 : d + c);
                        block[64 + at + 2 * c] = 0x80;
                        block[64 + at + 2 * c + 1] = static_cast<uint8_t>(wb ? d + c : 0x80);
                        block[128 + at + 2 * c] = static_cast<uint8_t>(wb ? 256 - wb : 128);
                        block[128 + at + 2 * c + 1] = static_cast<uint8_t>(wb ? wb : 128);
                    }
                }
        for (int half = 0; half < 2; ++half) {
            const int32_t start = tap(8 * b + 4 * half).index;
            std::memcpy(block + 192 + 4 * half, &start, 4);
        }
    }
}
#endif

bool Scaler::Runs(Path path) {
    switch (path) {
        case Path::Plain:
            return true;
#if defined(__SSE2__)
        case Path::Sse2:
            return true;
#endif
#if defined(HG_SCALER_DISPATCH)
        case Path::Ssse3:
            __builtin_cpu_init();
            return __builtin_cpu_supports("ssse3");
        case Path::Avx2:
            // Also false where the system does not save the wide registers (libgcc asks).
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx2");
#endif
        default:
            return false;
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

#if defined(HG_SCALER_DISPATCH)
// The byte-pair multiply (pmaddubsw) takes one side unsigned, the weights here, and the other
// signed: the channels are taken less 128. With the two weights summing to 256 the sum comes
// out exactly 32768 less than the plain one, which is at most 255 * 256, so it never saturates,
// and the shift and the signed pack bring back the plain result less 128 in every byte.
#define HG_SSSE3 __attribute__((target("ssse3"), always_inline)) inline
#define HG_AVX2 __attribute__((target("avx2")))

HG_SSSE3 __m128i Signed(__m128i bytes) { return _mm_xor_si128(bytes, _mm_set1_epi8(-128)); }

// The sums of two four-pixel blends, shifted and packed to bytes.
HG_SSSE3 __m128i Packed(__m128i sums0, __m128i sums1) {
    return Signed(_mm_packs_epi16(_mm_srai_epi16(sums0, 8), _mm_srai_epi16(sums1, 8)));
}

// Two columns' neighbour pairs as they lie in the source, side by side.
HG_SSSE3 __m128i TwoPairs(const uint32_t* wide, int32_t first, int32_t second) {
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(wide + first)),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(wide + second)));
}

// Four destination columns from x on, for a run whose shuffles are `shuffles`.
template <typename Tap>
HG_SSSE3 __m128i Sideways4(const uint32_t* wide, const Tap* xs, const uint8_t* shuffles,
                           const uint8_t* weights, int x) {
    __m128i sums[2];
    for (int k = 0; k < 2; ++k) {
        const int c = x + 2 * k;
        const __m128i pairs = _mm_shuffle_epi8(
            TwoPairs(wide, xs[c].index, xs[c + 1].index),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffles + 8 * c)));
        sums[k] = _mm_maddubs_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + 8 * c)),
                                    Signed(pairs));
    }
    return Packed(sums[0], sums[1]);
}

// Each of these returns the column (or byte) up to which it went: the rest is left to the
// caller's plain loop.
template <typename Tap>
__attribute__((target("ssse3"))) int SidewaysSsse3(const uint32_t* wide, const Tap* xs,
                                                   const uint8_t* shuffles, const uint8_t* weights,
                                                   int left, int right, uint32_t* out) {
    int x = left;
    for (; x + 4 <= right; x += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (x - left)),
                         Sideways4(wide, xs, shuffles, weights, x));
    return x;
}

// Eight columns at a time: the register's two halves are blended as the four-column step does
// (columns x..x+3 in the first sums, x+4..x+7 in the second); the pack then interleaves the
// halves, and one cross-half permute puts the columns back in order. Nothing wide is kept across
// a call: 64-bit MinGW does not align the stack for 32-byte spills.
template <typename Tap>
HG_AVX2 int SidewaysAvx2(const uint32_t* wide, const Tap* xs, const uint8_t* shuffles,
                         const uint8_t* weights, int left, int right, uint32_t* out) {
    int x = left;
    for (; x + 8 <= right; x += 8) {
        __m256i sums[2];
        for (int k = 0; k < 2; ++k) {
            const int c = x + 4 * k;
            const __m256i raw = _mm256_set_m128i(TwoPairs(wide, xs[c + 2].index, xs[c + 3].index),
                                                 TwoPairs(wide, xs[c].index, xs[c + 1].index));
            const __m256i pairs = _mm256_xor_si256(
                _mm256_shuffle_epi8(
                    raw, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(shuffles + 8 * c))),
                _mm256_set1_epi8(-128));
            sums[k] = _mm256_maddubs_epi16(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + 8 * c)), pairs);
        }
        const __m256i packed = _mm256_xor_si256(
            _mm256_packs_epi16(_mm256_srai_epi16(sums[0], 8), _mm256_srai_epi16(sums[1], 8)),
            _mm256_set1_epi8(-128));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + (x - left)),
                            _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    // The plain loop after this computes three channels where this computes four: a last block
    // of four keeps which columns take which exactly as in the other paths.
    if (x + 4 <= right) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (x - left)),
                         Sideways4(wide, xs, shuffles, weights, x));
        x += 4;
    }
    return x;
}

// The blocks [begin, end) of eight columns into `out`, through the windows (see BuildBlocks).
// No permute is needed: each half of the pack is one half of the block.
template <int kBlockBytes>
HG_AVX2 void WindowsAvx2(const uint32_t* wide, const uint8_t* blocks, int begin, int end,
                         uint32_t* out) {
    const __m256i bias = _mm256_set1_epi8(-128);
    for (int b = begin; b < end; ++b, out += 8) {
        const uint8_t* bytes = blocks + static_cast<size_t>(b) * kBlockBytes;
        const __m256i* block = reinterpret_cast<const __m256i*>(bytes);
        int32_t starts[2];
        std::memcpy(starts, bytes + 192, sizeof starts);
        const uint32_t* lo = wide + starts[0];
        const uint32_t* hi = wide + starts[1];
        const __m256i first = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(hi),
                                                  reinterpret_cast<const __m128i*>(lo));
        const __m256i second = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(hi + 1),
                                                   reinterpret_cast<const __m128i*>(lo + 1));
        __m256i sums[2];
        for (int r = 0; r < 2; ++r) {
            const __m256i pairs =
                _mm256_or_si256(_mm256_shuffle_epi8(first, _mm256_loadu_si256(block + r)),
                                _mm256_shuffle_epi8(second, _mm256_loadu_si256(block + 2 + r)));
            sums[r] = _mm256_maddubs_epi16(_mm256_loadu_si256(block + 4 + r),
                                           _mm256_xor_si256(pairs, bias));
        }
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(out),
            _mm256_xor_si256(_mm256_packs_epi16(_mm256_srai_epi16(sums[0], 8),
                                                _mm256_srai_epi16(sums[1], 8)),
                             bias));
    }
}

// Sixteen bytes of two rows blended down: the rows' bytes interleaved meet the weights
// (256 - weight, weight) interleaved, both of them 1..255 here.
HG_SSSE3 __m128i Down16(const uint8_t* u, const uint8_t* l, __m128i weights) {
    const __m128i a = Signed(_mm_loadu_si128(reinterpret_cast<const __m128i*>(u)));
    const __m128i b = Signed(_mm_loadu_si128(reinterpret_cast<const __m128i*>(l)));
    return Packed(_mm_maddubs_epi16(weights, _mm_unpacklo_epi8(a, b)),
                  _mm_maddubs_epi16(weights, _mm_unpackhi_epi8(a, b)));
}

int16_t DownWeights(uint32_t weight) { return static_cast<int16_t>(weight << 8 | (256 - weight)); }

__attribute__((target("ssse3"))) int DownSsse3(const uint8_t* u, const uint8_t* l,
                                               uint32_t weight, int n, uint8_t* o) {
    const __m128i w = _mm_set1_epi16(DownWeights(weight));
    int i = 0;
    for (; i + 16 <= n; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i), Down16(u + i, l + i, w));
    return i;
}

// The same at 32 bytes; unpacking and packing both stay within each 16-byte half, so the bytes
// come out in order.
HG_AVX2 int DownAvx2(const uint8_t* u, const uint8_t* l, uint32_t weight, int n, uint8_t* o) {
    const __m256i w = _mm256_set1_epi16(DownWeights(weight));
    const __m256i bias = _mm256_set1_epi8(-128);
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i a =
            _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(u + i)), bias);
        const __m256i b =
            _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(l + i)), bias);
        const __m256i lo = _mm256_srai_epi16(_mm256_maddubs_epi16(w, _mm256_unpacklo_epi8(a, b)), 8);
        const __m256i hi = _mm256_srai_epi16(_mm256_maddubs_epi16(w, _mm256_unpackhi_epi8(a, b)), 8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + i),
                            _mm256_xor_si256(_mm256_packs_epi16(lo, hi), bias));
    }
    if (i + 16 <= n) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i),
                         Down16(u + i, l + i, _mm_set1_epi16(DownWeights(weight))));
        i += 16;
    }
    return i;
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
    int lo = xs[left].index, hi = xs[right - 1].next;
    int x = left;
#if defined(HG_SCALER_DISPATCH)
    // Blocks of windows start at multiples of 8 columns: columns before `left` land in the
    // spare ones ahead of `out`, those beyond `right` past its end (beyond the destination's
    // last column they repeat it). The last block's second window reads up to four pixels
    // past where it starts.
    const bool windows = path_ == Path::Avx2 && !blocks_.empty();
    const int firstBlock = left / 8, endBlock = (right + 7) / 8;
    if (windows) {
        lo = xs[8 * firstBlock].index;
        std::memcpy(&hi, &blocks_[static_cast<size_t>(endBlock - 1) * kBlockBytes + 196], 4);
        hi += 3;
    }
#endif
    const uint32_t* wide = from;
    if (hi + 1 >= sourceWidth_ && y + 1 >= sourceHeight_) {
        std::copy(from + lo, from + std::min(hi + 1, sourceWidth_), wide_.data() + lo);
        wide = wide_.data();
    }
    // Both neighbours come in one load; a neighbour beyond the edge has weight 0, and the spare
    // pixel at the row's end keeps that load inside the row's memory.
#if defined(HG_SCALER_DISPATCH)
    if (windows) {
        WindowsAvx2<kBlockBytes>(wide, blocks_.data(), firstBlock, endBlock,
                         out - (left - 8 * firstBlock));
        // The plain loop below gives three channels to the columns left over after the
        // other paths' blocks of four: they are done again as it does them.
        x = left + (right - left) / 4 * 4;
    } else if (path_ == Path::Avx2 || path_ == Path::Ssse3) {
        const uint8_t* shuffles = pairShuffles_[left & 1].data();
        x = (path_ == Path::Avx2 ? SidewaysAvx2<Tap> : SidewaysSsse3<Tap>)(
            wide, xs, shuffles, pairWeights_.data(), left, right, out);
    }
#endif
#if defined(__SSE2__)
    const uint16_t* w = columnWeights_.data();
    if (path_ == Path::Sse2) {
        for (; x + 4 <= right; x += 4) {
            const __m128i a = Blend2(Weighed(wide + xs[x].index, w + 8 * x),
                                     Weighed(wide + xs[x + 1].index, w + 8 * (x + 1)));
            const __m128i b = Blend2(Weighed(wide + xs[x + 2].index, w + 8 * (x + 2)),
                                     Weighed(wide + xs[x + 3].index, w + 8 * (x + 3)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (x - left)),
                             _mm_packus_epi16(a, b));
        }
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
// runs straight along memory, byte by byte, which compilers turn into vector code where a path
// has none of its own.
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
    if (static_cast<int>(rows_[0].size()) < kFront + w + 16)
        for (auto& r : rows_) r.resize(static_cast<size_t>(kFront + w + 16));
    int held[2] = {-1, -1};  // the source row each of rows_ holds
    auto row = [&](int y) -> const uint32_t* {
        for (int k = 0; k < 2; ++k)
            if (held[k] == y) return rows_[k].data() + kFront;
        // Rows are asked for in rising order: the slot of the lower one is free.
        const int k = held[0] < held[1] ? 0 : 1;
        Sideways(source, y, a.left, a.right, rows_[k].data() + kFront);
        held[k] = y;
        return rows_[k].data() + kFront;
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
        Down(upper, lower, t.weight, w, out);
    }
}

// Blends `width` pixels of two rows down, the lower weighing `weight` / 256 (never 0).
void Scaler::Down(const uint32_t* upper, const uint32_t* lower, uint32_t weight, int width,
                  uint32_t* out) const {
    const uint8_t* u = reinterpret_cast<const uint8_t*>(upper);
    const uint8_t* l = reinterpret_cast<const uint8_t*>(lower);
    uint8_t* o = reinterpret_cast<uint8_t*>(out);
    const int n = 4 * width;
    int i = 0;
#if defined(HG_SCALER_DISPATCH)
    if (path_ == Path::Avx2) i = DownAvx2(u, l, weight, n, o);
    if (path_ == Path::Ssse3) i = DownSsse3(u, l, weight, n, o);
#endif
    const uint16_t wl = static_cast<uint16_t>(weight), wu = static_cast<uint16_t>(256 - wl);
    for (; i < n; ++i) o[i] = static_cast<uint8_t>((u[i] * wu + l[i] * wl) >> 8);
}

}  // namespace hg
