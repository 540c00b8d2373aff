// The high-detail twins as the setup ships them: a correction of the picture enlarged, read by
// the program's own reader (display/twin_file.h).
#pragma once

#include <cstddef>
#include <string>

#include "canvas.h"
#include "writers.h"

namespace assetgen {

// The step a difference is divided by: a pixel is off by at most half of it in a channel. Each
// twin gets the coarsest that keeps kMinTwinPsnr: 4 or 5 for grainy stone, more for the
// smooth flames, whose differences are mostly nothing.
constexpr int kTwinStep = 4;
constexpr int kMaxTwinStep = 12;
constexpr int kTwinBandRows = 32;
// What a shipped twin must keep of the painting: no eye tells it from the painting itself.
constexpr double kMinTwinPsnr = 45.0;

// `twin` encoded against `picture` (its painting at detail 1, as the bitmap ships it).
Bytes encodeTwinCorrection(const Image& twin, const Image& picture, int step = kTwinStep);

// The coarsest step, up to `maxStep`, at which `twin` encoded against `picture` keeps `minPsnr`.
int coarsestTwinStep(const Image& twin, const Image& picture, double minPsnr,
                     int maxStep = kMaxTwinStep);

// How the twin that `file` gives, read as the program reads it, compares with the painting.
struct TwinFidelity {
    bool read = false;        // the program's reader gave every row
    bool holesExact = false;  // the same pixels are holes
    double psnr = 0;          // over the opaque pixels' channels; infinite when exact
    int maxError = 0;         // the largest difference of a channel
};
TwinFidelity twinFidelity(const Bytes& file, const Image& twin, const Image& picture);

// The twin of `picture` from a shipped correction, or an empty image when it cannot be read.
Image decodeTwinCorrection(const Bytes& file, const Image& picture, int detail);

}  // namespace assetgen
