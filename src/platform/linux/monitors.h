#pragma once
// Which part of a window the hearth takes when the window spans several monitors.
#include <vector>

#include "display/compositor.h"

namespace hg {

// `window` and `monitors` in root coordinates; `primary` indexes `monitors`, or is -1. The
// result is in window coordinates: the primary monitor's part of the window; if the window
// does not reach the primary monitor (xscreensaver gives each monitor a window of its own), the
// monitor that holds the window's centre; empty, meaning the whole window, when no monitor is
// known or none holds it.
Area HearthMonitor(const Area& window, const std::vector<Area>& monitors, int primary);

}  // namespace hg
