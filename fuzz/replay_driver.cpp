// Runs a fuzz target without libFuzzer: the built-in seeds, any files named on the command line,
// then deterministic mutations of the seeds (-runs=N). Under the sanitizers this catches most of
// what a short libFuzzer run would, with any compiler.
//
//   <target> [-runs=N] [files...]     replay and mutate
//   <target> --write-seeds DIR        write the seeds as a starting corpus for libFuzzer
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_target.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Rng {
    uint64_t s = 0x9E3779B97F4A7C15ull;
    uint32_t Next() {
        s ^= s << 13, s ^= s >> 7, s ^= s << 17;
        return static_cast<uint32_t>(s >> 11);
    }
    size_t Below(size_t n) { return n ? Next() % n : 0; }
};

void Mutate(Bytes& b, Rng& rng) {
    static const uint8_t kInteresting[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0xF0, 0xF7, 0x2F, 0x51};
    int edits = 1 + static_cast<int>(rng.Below(4));
    for (int i = 0; i < edits; ++i) {
        switch (rng.Below(6)) {
            case 0:
                if (!b.empty()) b[rng.Below(b.size())] ^= static_cast<uint8_t>(1u << rng.Below(8));
                break;
            case 1:
                if (!b.empty())
                    b[rng.Below(b.size())] = kInteresting[rng.Below(sizeof kInteresting)];
                break;
            case 2:
                b.insert(b.begin() + static_cast<std::ptrdiff_t>(rng.Below(b.size() + 1)),
                         static_cast<uint8_t>(rng.Next()));
                break;
            case 3:
                if (!b.empty())
                    b.erase(b.begin() + static_cast<std::ptrdiff_t>(rng.Below(b.size())));
                break;
            case 4:
                b.resize(rng.Below(b.size() + 1));
                break;
            default:
                // A whole length field set to something large.
                if (b.size() >= 4) {
                    size_t at = rng.Below(b.size() - 3);
                    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<uint8_t>(rng.Next());
                }
                break;
        }
    }
}

void Run(const Bytes& b) { LLVMFuzzerTestOneInput(b.data(), b.size()); }

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-seeds") == 0) {
        int n = 0;
        for (const auto& seed : FuzzSeeds()) {
            std::ofstream out(std::string(argv[2]) + "/seed" + std::to_string(n++),
                              std::ios::binary);
            out.write(reinterpret_cast<const char*>(seed.data()),
                      static_cast<std::streamsize>(seed.size()));
        }
        return 0;
    }
    long runs = 0;
    std::vector<Bytes> seeds = FuzzSeeds();
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "-runs=", 6) == 0) {
            runs = std::strtol(argv[i] + 6, nullptr, 10);
            continue;
        }
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 2;
        }
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (const auto& s : seeds) Run(s);
    Rng rng;
    for (long i = 0; i < runs; ++i) {
        Bytes b = seeds[rng.Below(seeds.size())];
        Mutate(b, rng);
        Run(b);
        // Mutations compound now and then, to get further from the seeds.
        if (rng.Below(4) == 0) seeds.push_back(std::move(b));
        if (seeds.size() > 4096) seeds.resize(64);
    }
    std::printf("%zu seeds, %ld mutated runs: no fault\n", FuzzSeeds().size(), runs);
    return 0;
}
