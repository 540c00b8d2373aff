#include "controls/block_cache.h"

#include <algorithm>
#include <cstring>

namespace hg {

void BlockCache::Reset(int columns, int rows) {
    columns_ = std::max(0, columns);
    rows_ = std::max(0, rows);
    squares_.assign(static_cast<size_t>(columns_) * rows_, {});
    bytes_ = 0;
    found_ = asked_ = 0;
}

BlockCache::Key BlockCache::KeyOf(const uint16_t* source, int width, int height, int column,
                                  int row) {
    Key key{};
    const int left = column * kSide, top = row * kSide;
    const int w = std::clamp(width - left, 0, kKeySide), h = std::clamp(height - top, 0, kKeySide);
    for (int y = 0; y < h; ++y)
        std::memcpy(&key[static_cast<size_t>(y) * kKeySide],
                    source + static_cast<size_t>(top + y) * width + left,
                    sizeof(uint16_t) * static_cast<size_t>(w));
    return key;
}

// Only to skip most of the whole comparisons; a 64-bit multiply-and-fold over the key's words.
uint64_t BlockCache::Hash(const Key& key) {
    uint64_t h = 0x9E3779B97F4A7C15u;
    const auto* bytes = reinterpret_cast<const unsigned char*>(key.data());
    const size_t size = sizeof(Key);
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDu;
        h ^= h >> 29;
    }
    for (; i < size; ++i) h = (h ^ bytes[i]) * 0x100000001B3u;
    return h;
}

std::vector<BlockCache::Entry>* BlockCache::At(int column, int row) {
    if (column < 0 || row < 0 || column >= columns_ || row >= rows_) return nullptr;
    return &squares_[static_cast<size_t>(row) * columns_ + column];
}

const uint32_t* BlockCache::Find(int column, int row, const Key& key) {
    std::vector<Entry>* square = At(column, row);
    if (!square) return nullptr;
    ++asked_;
    const uint64_t hash = Hash(key);
    for (Entry& e : *square)
        if (e.hash == hash && e.key == key) {
            e.used = frame_;
            ++found_;
            return e.pixels.data();
        }
    return nullptr;
}

void BlockCache::Keep(int column, int row, const Key& key, const uint32_t* pixels, int width,
                      int height, int stride) {
    std::vector<Entry>* square = At(column, row);
    if (!square || width <= 0 || height <= 0) return;
    Entry fresh;
    fresh.hash = Hash(key);
    fresh.used = frame_;
    fresh.key = key;
    const size_t size = sizeof(Entry) + static_cast<size_t>(width) * height * sizeof(uint32_t);
    // Room comes from the budget, or from this square's least recently used variant once it
    // has gone unused for a while (a style that is no longer shown, a clock's old second).
    Entry* place = nullptr;
    if (square->size() >= kVariants || bytes_ + size > budget_) {
        auto oldest = std::min_element(square->begin(), square->end(),
                                       [](const Entry& a, const Entry& b) { return a.used < b.used; });
        if (oldest == square->end() || frame_ - oldest->used < kStaleFrames) return;
        if (bytes_ - oldest->Bytes() + size > budget_) return;
        bytes_ -= oldest->Bytes();
        place = &*oldest;
    } else {
        place = &square->emplace_back();
    }
    fresh.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(&fresh.pixels[static_cast<size_t>(y) * width],
                    pixels + static_cast<size_t>(y) * stride, sizeof(uint32_t) * width);
    *place = std::move(fresh);
    bytes_ += place->Bytes();
}

}  // namespace hg
