// assetgen <install-dir> <resource-dir>: paints every picture of the hearth.
#include <cstdio>

#include "catalog.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <install-dir> <resource-dir>\n", argv[0]);
        return 2;
    }
    try {
        std::string error = assetgen::generateAll(argv[1], argv[2]);
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
