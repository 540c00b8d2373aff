// assetgen [-jN] <install-dir> <resource-dir>: paints every picture of the hearth, on N
// threads (all the processors by default).
// assetgen [-jN] --twins <install-dir>: how far each shipped twin there strays from its
// painting, read as the program reads it (PSNR, the largest channel error, whether the holes
// are the same), and its size; exits 1 when one strays beyond what may ship.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "catalog.h"
#include "twin_correction.h"

namespace {

int reportTwins(const std::string& installDir, int threads) {
    std::vector<assetgen::OutputJob> jobs;
    for (const auto& a : assetgen::sceneAssets())
        jobs.push_back({a.file, [&a, installDir] {
                            const std::string name = assetgen::highDetailName(a.file);
                            std::ifstream in(std::filesystem::path(installDir) / name,
                                             std::ios::binary);
                            const assetgen::Bytes file((std::istreambuf_iterator<char>(in)),
                                                       std::istreambuf_iterator<char>());
                            const auto f = assetgen::twinFidelity(
                                file, a.paint(assetgen::kHighDetail), a.paint(1));
                            const bool good =
                                f.read && f.holesExact && f.psnr >= assetgen::kMinTwinPsnr;
                            char line[200];
                            const int n = std::snprintf(
                                line, sizeof line, "%c%-30s %10zu %8.2f %6d  %s\n",
                                good ? '+' : '!', name.c_str(), file.size(), f.psnr, f.maxError,
                                !f.read ? "unreadable" : f.holesExact ? "same" : "DIFFERENT");
                            return assetgen::Bytes(line, line + n);
                        }});
    std::printf(" %-30s %10s %8s %6s  %s\n", "twin", "bytes", "PSNR dB", "max", "holes");
    bool allGood = true;
    size_t total = 0;
    for (const auto& f : assetgen::makeFiles(jobs, threads)) {
        allGood &= f.bytes[0] == '+';
        std::fwrite(f.bytes.data() + 1, 1, f.bytes.size() - 1, stdout);
        total += std::strtoull(std::strchr(reinterpret_cast<const char*>(f.bytes.data()), ' '), nullptr, 10);
    }
    std::printf(" %-30s %10zu   (every twin at least %.0f dB with the same holes: %s)\n", "all",
                total, assetgen::kMinTwinPsnr, allGood ? "yes" : "NO");
    return allGood ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    int threads = std::max(1, int(std::thread::hardware_concurrency()));
    int first = 1;
    if (argc > 1 && std::strncmp(argv[1], "-j", 2) == 0) {
        threads = std::atoi(argv[1] + 2);
        first = 2;
    }
    if (argc - first == 2 && std::strcmp(argv[first], "--twins") == 0 && threads >= 1) {
        try {
            return reportTwins(argv[first + 1], threads);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "assetgen: %s\n", e.what());
            return 1;
        }
    }
    if (argc - first != 2 || threads < 1) {
        std::fprintf(stderr, "usage: %s [-jN] <install-dir> <resource-dir>\n"
                             "       %s [-jN] --twins <install-dir>\n", argv[0], argv[0]);
        return 2;
    }
    try {
        std::string error = assetgen::generateAll(argv[first], argv[first + 1], threads);
        if (!error.empty()) {
            std::fprintf(stderr, "assetgen: %s\n", error.c_str());
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
