// soundgen <install-dir>: writes fire.wav and Music/midi1.mid .. Music/midi36.mid.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "soundgen/soundgen.h"

namespace {

void WriteFile(const std::filesystem::path& path, const soundgen::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: soundgen <install-dir>\n");
        return 2;
    }
    try {
        const std::filesystem::path root = argv[1];
        std::filesystem::create_directories(root / "Music");
        WriteFile(root / "fire.wav", soundgen::MakeFireWav());
        for (int n = 1; n <= soundgen::kTrackCount; ++n)
            WriteFile(root / "Music" / ("midi" + std::to_string(n) + ".mid"), soundgen::MakeTrack(n));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "soundgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
