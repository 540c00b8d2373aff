#include "media/byte_reader.h"

#include <filesystem>
#include <fstream>

namespace hg {

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path, size_t limit) {
    // The path is UTF-8; through a filesystem path Windows opens it by its wide name, so no
    // letter is lost to the ANSI code page.
    const std::filesystem::path name(
        std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
    std::ifstream in(name, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    std::streamoff size = in.tellg();
    if (size < 0 || static_cast<unsigned long long>(size) > limit) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return bytes;
}

}  // namespace hg
