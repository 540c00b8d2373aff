#include "controls/byte_reader.h"

#include <fstream>

namespace hg {

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path, size_t limit) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    std::streamoff size = in.tellg();
    if (size < 0 || static_cast<unsigned long long>(size) > limit) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return bytes;
}

}  // namespace hg
