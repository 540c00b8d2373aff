// The painters of every picture; sizes are chosen to fit each picture's fixed
// place on the 800 x 600 screen. Each paints at a detail: 1 gives the picture at its
// size on that screen; a larger whole number d paints it d times as wide and as tall,
// every pixel sampled at its own place in the design (finer edges, lines and grain),
// never an enlargement of the detail-1 picture.
#pragma once

#include "canvas.h"

namespace assetgen {

// Where pixel p of a picture painted at detail d lies in the design: pixel centres of the
// detail-1 picture fall on whole numbers, and d = 1 gives exactly float(p).
inline float designAt(int p, int detail) { return (float(p) + 0.5f) / float(detail) - 0.5f; }
// Octaves of noise a painting at this detail adds to those of detail 1: one for each doubling,
// the grain that pixels this fine can show.
inline int extraOctaves(int detail) {
    int extra = 0;
    for (int d = detail; d >= 2; d /= 2) ++extra;
    return extra;
}

constexpr int kFlameFrames = 10;
constexpr int kFlameW = 660, kFlameH = 540;  // at 70,27: the whole fireplace opening
constexpr int kLogsW = 634, kLogsH = 165;    // at 83,435: down to the screen's bottom
constexpr int kAndIronW = 170, kAndIronH = 308;

Image paintFlame(int frame, int detail = 1);  // frame 0..9; frame 9 flows back into frame 0
Image paintLogs(int detail = 1);
Image paintAndIron(bool left, int detail = 1);
Image paintIconFlame(int size);

// Hearth styles 1..6. Each surround is one continuous design in screen
// coordinates; the side, top and mantel pictures are cut from it.
enum class SurroundPart { Left, Right, Top };
struct Placement {
    int x, y, width, height;
};
Placement surroundPlacement(int style, SurroundPart part);
Placement mantelPlacement(int style);  // styles 3..6
Image paintSurround(int style, SurroundPart part, int detail = 1);
Image paintMantel(int style, int detail = 1);

constexpr int kStockingW = 80, kStockingH = 135;
constexpr int kCalendarW = 65, kCalendarH = 88;
Image paintStocking(int detail = 1);
Image paintCalendar(int detail = 1);
Image paintBells(bool topLeft, int detail = 1);
Image paintPoinsettia(bool bottomLeft, int detail = 1);

// The wall beside the hearth on wide screens: a strip as tall as the screen that the program
// repeats sideways, built into the program rather than installed.
constexpr int kWallW = 240, kWallH = 600;
Image paintWall(int detail = 1);

}  // namespace assetgen
