#pragma once
// The module-level variables of the start-up module. One instance lives as long as the process.
#include <cstdint>

namespace hg {

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct Module1State {
    int32_t PreviewParent = 0;  // host pane of "/p"; 0 until parsed
    Rect PreviewRect;           // host pane's client area, or the desktop's rectangle
    uintptr_t OldWndProc = 0;   // the scene window's procedure before the filter replaced it
    int16_t PwrSave = 0;        // nonzero: swallow monitor power-down requests
};

}  // namespace hg
