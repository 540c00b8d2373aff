#pragma once
// Bilinear scaling of a 32-bit (0x00RRGGBB) picture to one of any size, done area by
// area: a piece of the destination comes out exactly as it would in a scaling of the whole.
// Sample points are pixel centres and the source's edge pixels are repeated beyond it, so
// nothing bleeds in at the edges and no seam shows between areas.
#include <cstdint>
#include <vector>

#include "display/compositor.h"

namespace hg {

class Scaler {
  public:
    Scaler() = default;
    Scaler(int sourceWidth, int sourceHeight, int destWidth, int destHeight);

    int DestWidth() const { return static_cast<int>(xs_.size()); }
    int DestHeight() const { return static_cast<int>(ys_.size()); }
    // The destination pixels whose value depends on any source pixel of `source`.
    Area Affected(const Area& source) const;
    // The source pixels that the destination pixels of `dest` read.
    Area Sources(const Area& dest) const;
    // Writes the destination pixels of `area` (clipped to the destination) into `dest`, whose
    // rows are `destStride` pixels apart and whose (0, 0) is the destination's.
    void Scale(const uint32_t* source, uint32_t* dest, int destStride, const Area& area) const;

    // The ways of computing the same pixels, slowest first. A scaler takes the fastest one the
    // processor runs; Use lets the tests try each one that Runs against the others.
    enum class Path { Plain, Sse2, Ssse3, Avx2 };
    static bool Runs(Path path);
    Path InUse() const { return path_; }
    void Use(Path path) { path_ = path; }

  private:
    // A destination column or row reads source pixel `index` and the next one, weighing the
    // next by `weight` / 256.
    struct Tap {
        int32_t index;
        int32_t next;
        uint32_t weight;
    };
    static std::vector<Tap> Taps(int source, int dest);
    static void Span(const std::vector<Tap>& taps, int first, int last, int& lo, int& hi);

    void Sideways(const uint32_t* source, int y, int left, int right, uint32_t* out) const;
    void BuildBlocks();
    void Down(const uint32_t* upper, const uint32_t* lower, uint32_t weight, int width,
              uint32_t* out) const;

    Path path_ = Path::Plain;

    int sourceWidth_ = 0, sourceHeight_ = 0;
    std::vector<Tap> xs_, ys_;
    // Each destination column's two weights, four times over: one multiply weighs all four
    // bytes of both neighbours.
    std::vector<uint16_t> columnWeights_;
    // The same for the byte-pair multiply (pmaddubsw), whose weights are bytes: each column's
    // eight byte indices that lay its two neighbours' channels side by side, and its eight
    // weights. A weight of 256 does not fit, so a column that reads one pixel whole takes it
    // twice at 128. The indices are for two columns held in one 16-byte register: the second's
    // pair lies 8 bytes on, and which columns come second depends on where the run starts,
    // so there is one set of indices for runs from an even column and one from an odd one.
    std::vector<uint8_t> pairShuffles_[2], pairWeights_;
    // Where each four columns in a row read at most four pixels from the first one's on (a
    // picture made larger), AVX2 reads each four from two 16-byte windows instead of a load per
    // column: per block of eight columns (from column 0 on) the shuffles that pick each
    // column's neighbours out of the windows, and the weights, in the order the blocks use them.
    std::vector<uint8_t> blocks_;
    // Two shuffles and the weights for each of two registers, then where the two windows start.
    static constexpr int kBlockBytes = 200;
    static constexpr int kFront = 8;  // the spare columns ahead of rows_ that a block may fill
    mutable std::vector<uint32_t> wide_;     // one source row, and spare pixels
    mutable std::vector<uint32_t> rows_[2];  // two source rows scaled sideways, after kFront
};

}  // namespace hg
