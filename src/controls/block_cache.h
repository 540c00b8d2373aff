#pragma once
// Scaled blocks of the picture, kept by the source pixels they were scaled from. The flames
// cycle through a handful of frames, so after the first round most of a flame step is copied
// from here instead of being scaled again: on a large screen scaling is most of a step's cost.
//
// A block is what one square of the logical picture owns on the screen (the destination pixels
// whose first sample lies in it); those pixels read the square and one pixel more to the right
// and below, and that is its key. Keys are compared whole, never by their hash alone, so a
// block found here is exactly what scaling would give.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace hg {

class BlockCache {
  public:
    // The square's side in logical pixels, and the most a key reads across and down.
    static constexpr int kSide = 16;
    static constexpr int kKeySide = kSide + 1;
    using Key = std::array<uint16_t, kKeySide * kKeySide>;

    // Enough for the flames' ten frames at 1920 x 1080; larger screens keep what fits.
    static constexpr size_t kDefaultBudget = size_t{48} << 20;
    // Variants kept per square: the flames' frames, with room for a change of style.
    static constexpr size_t kVariants = 14;
    // A variant unused for this many frames may give its place to a new one.
    static constexpr uint32_t kStaleFrames = 64;

    explicit BlockCache(size_t budgetBytes = kDefaultBudget) : budget_(budgetBytes) {}

    // Forgets everything; `columns` x `rows` squares from now on.
    void Reset(int columns, int rows);
    // A frame begins: what is used from now on counts as recent.
    void NextFrame() { ++frame_; }

    // The key of the square at (column, row) of an 800-wide picture `source` whose size is
    // `width` x `height`; pixels beyond the picture read as zero.
    static Key KeyOf(const uint16_t* source, int width, int height, int column, int row);

    // The pixels kept for this square and key (row after row, as many as were kept), or null.
    const uint32_t* Find(int column, int row, const Key& key);
    // Keeps a copy of `width` x `height` pixels read from `pixels` (rows `stride` apart) as what
    // `key` scales to at this square, when the budget or a stale variant leaves room.
    void Keep(int column, int row, const Key& key, const uint32_t* pixels, int width, int height,
              int stride);

    size_t Bytes() const { return bytes_; }
    // Lookups that found their block, and all lookups, since the last Reset.
    uint64_t Found() const { return found_; }
    uint64_t Asked() const { return asked_; }
    size_t Budget() const { return budget_; }

  private:
    struct Entry {
        uint64_t hash = 0;
        uint32_t used = 0;
        Key key{};
        std::vector<uint32_t> pixels;
        size_t Bytes() const { return sizeof(Entry) + pixels.size() * sizeof(uint32_t); }
    };
    static uint64_t Hash(const Key& key);
    std::vector<Entry>* At(int column, int row);

    size_t budget_;
    size_t bytes_ = 0;
    uint32_t frame_ = 0;
    uint64_t found_ = 0, asked_ = 0;
    int columns_ = 0, rows_ = 0;
    std::vector<std::vector<Entry>> squares_;
};

}  // namespace hg
