#pragma once
// What each fuzz target provides: libFuzzer's entry point and a handful of valid files that the
// replay driver (and a fresh libFuzzer corpus) starts from.
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

std::vector<std::vector<uint8_t>> FuzzSeeds();
