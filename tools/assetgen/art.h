// The painters of every picture; sizes are chosen to fit each picture's fixed
// place on the 800 x 600 screen.
#pragma once

#include "canvas.h"

namespace assetgen {

constexpr int kFlameFrames = 10;
constexpr int kFlameW = 660, kFlameH = 540;  // at 70,27: the whole fireplace opening
constexpr int kLogsW = 634, kLogsH = 165;    // at 83,435: down to the screen's bottom
constexpr int kAndIronW = 170, kAndIronH = 308;

Image paintFlame(int frame);  // frame 0..9; frame 9 flows back into frame 0
Image paintLogs();
Image paintAndIron(bool left);
Image paintIconFlame(int size);

// Hearth styles 1..6. Each surround is one continuous design in screen
// coordinates; the side, top and mantel pictures are cut from it.
enum class SurroundPart { Left, Right, Top };
struct Placement {
    int x, y, width, height;
};
Placement surroundPlacement(int style, SurroundPart part);
Placement mantelPlacement(int style);  // styles 3..6
Image paintSurround(int style, SurroundPart part);
Image paintMantel(int style);

constexpr int kStockingW = 80, kStockingH = 135;
constexpr int kCalendarW = 65, kCalendarH = 88;
Image paintStocking();
Image paintCalendar();
Image paintBells(bool topLeft);
Image paintPoinsettia(bool bottomLeft);

// The wall beside the hearth on wide screens: a strip as tall as the screen that the program
// repeats sideways, built into the program rather than installed.
constexpr int kWallW = 240, kWallH = 600;
Image paintWall();

}  // namespace assetgen
