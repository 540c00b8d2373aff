// assetgen [-jN] <install-dir> <resource-dir>: paints every picture of the hearth, on N
// threads (all the processors by default).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "catalog.h"

int main(int argc, char** argv) {
    int threads = std::max(1, int(std::thread::hardware_concurrency()));
    int first = 1;
    if (argc > 1 && std::strncmp(argv[1], "-j", 2) == 0) {
        threads = std::atoi(argv[1] + 2);
        first = 2;
    }
    if (argc - first != 2 || threads < 1) {
        std::fprintf(stderr, "usage: %s [-jN] <install-dir> <resource-dir>\n", argv[0]);
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
