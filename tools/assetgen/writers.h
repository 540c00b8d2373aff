// Encoders for the file formats the program and its installer read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace assetgen {

using Bytes = std::vector<uint8_t>;

// 24-bit bottom-up Windows bitmap; holes are written as pure magenta.
Bytes encodeBmp24(const Image& image);
// 8-bit bottom-up Windows bitmap with a palette chosen from the picture.
Bytes encodeBmp8(const Image& image);
// The picture as RGBA rows: opaque pixels with alpha 255, holes as (0, 0, 0, 0).
std::vector<uint8_t> rgbaOf(const Image& image);
// 8-bit RGBA PNG: opaque pixels with alpha 255, holes as (0, 0, 0, 0). The same picture
// always gives the same bytes.
Bytes encodePng(const Image& image);
// Baseline JPEG.
Bytes encodeJpeg(const Image& image, int quality);
// Windows icon holding 32-bit images (alpha from the holes), largest first.
Bytes encodeIcon(const std::vector<Image>& images);

bool writeFile(const std::string& path, const Bytes& bytes);

}  // namespace assetgen
