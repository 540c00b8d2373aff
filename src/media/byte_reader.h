#pragma once
// Little- and big-endian reads that refuse to run past the end, for the sound file parsers.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace hg {

class ByteReader {
  public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t Position() const { return pos_; }
    size_t Remaining() const { return bytes_.size() - pos_; }
    bool AtEnd() const { return pos_ >= bytes_.size(); }

    bool Skip(size_t n) {
        if (n > Remaining()) return false;
        pos_ += n;
        return true;
    }
    std::optional<uint8_t> U8() {
        if (Remaining() < 1) return std::nullopt;
        return bytes_[pos_++];
    }
    std::optional<uint16_t> U16LE() { return Read(2, false); }
    std::optional<uint32_t> U32LE() { return Read(4, false); }
    std::optional<uint16_t> U16BE() { return Read(2, true); }
    std::optional<uint32_t> U24BE() { return Read(3, true); }
    std::optional<uint32_t> U32BE() { return Read(4, true); }
    // A four-letter chunk name compared without copying.
    bool Tag(const char (&tag)[5]) {
        if (Remaining() < 4) return false;
        for (int i = 0; i < 4; ++i)
            if (bytes_[pos_ + i] != static_cast<uint8_t>(tag[i])) return false;
        pos_ += 4;
        return true;
    }
    std::optional<std::span<const uint8_t>> Bytes(size_t n) {
        if (n > Remaining()) return std::nullopt;
        auto out = bytes_.subspan(pos_, n);
        pos_ += n;
        return out;
    }

  private:
    std::optional<uint32_t> Read(int n, bool bigEndian) {
        if (Remaining() < static_cast<size_t>(n)) return std::nullopt;
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            uint32_t b = bytes_[pos_ + i];
            v |= bigEndian ? b << (8 * (n - 1 - i)) : b << (8 * i);
        }
        pos_ += n;
        return v;
    }

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

// The whole file (its path in UTF-8), or nothing when it cannot be read or is larger than
// `limit` bytes. The one way the controls read a file.
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path, size_t limit);

// How the sound controls get a file's bytes; the tests hand them files from memory.
using FileLoader = std::function<std::optional<std::vector<uint8_t>>(const std::string&)>;

}  // namespace hg
