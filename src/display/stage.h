#pragma once
// The whole window of the scene: the 800 x 600 picture of the hearth, scaled with its shape kept
// onto the primary monitor, and the wall of the room around it on the rest of the window, which
// may span several monitors.
#include <cstdint>

#include "display/compositor.h"

namespace hg {

// 32-bit pixels 0x00RRGGBB, rows `stride` pixels apart, top-down. Its first pixel is the
// window's point (left, top): a picture may hold only part of a window.
struct ScreenImage {
    uint32_t* pixels = nullptr;
    int width = 0, height = 0, stride = 0;
    int left = 0, top = 0;
    Area Bounds() const { return {left, top, left + width, top + height}; }
};

struct Stage {
    int width = 0, height = 0;  // the window
    Area hearth;                // where the 800 x 600 picture lands in it

    // `primary`: the primary monitor in window coordinates; empty when unknown, and then the
    // whole window serves.
    static Stage For(int width, int height, const Area& primary = {});
    double Scale() const;
    // A window point in logical display pixels (off the hearth it lies beyond 0..799, 0..599).
    int LogicalX(int windowX) const;
    int LogicalY(int windowY) const;
};

// Paints every pixel of `image` (wherever it lies in the window) outside the hearth with the
// wall: `tile` (a strip as tall as
// the hearth picture) repeated sideways at the hearth's scale, mirrored on the left so both
// sides start alike at the hearth's edges, and lit warmly near the fire. Without a tile the
// wall is a plain dark colour, lit the same way.
void PaintWall(const Picture* tile, const Stage& stage, const ScreenImage& image);

}  // namespace hg
