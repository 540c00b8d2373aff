// Hearth-style rotation: which surround is shown, and when it moves on.
#include "scene/form1.h"

namespace hg {

namespace {

constexpr int kStyles = 6;
// 546 minutes is the longest period whose seconds fit a 16-bit count.
constexpr int16_t kLongestPeriodMinutes = 546;

}  // namespace

void Form1::RotateFP() {
    // A hand-edited period of 0 or less would never be matched by the tick count, and one
    // above 546 minutes would overflow: the first takes the seeded minute, the second the
    // longest period there is.
    if (Settings.RotateT <= 0) Settings.RotateT = 1;
    if (Settings.RotateT > kLongestPeriodMinutes) Settings.RotateT = kLongestPeriodMinutes;
    Settings.RotateT = static_cast<int16_t>(Settings.RotateT * 60);
}

void Form1::Timer1_Timer() {
    if (Settings.RotateCk != 1) return;
    ++RotateCount;
    if (RotateCount == Settings.RotateT) {
        ++Settings.CurrentFP;
        if (Settings.CurrentFP >= kStyles + 1 || Settings.CurrentFP < 1) Settings.CurrentFP = 1;
        GatherFP();
        RotateCount = 0;
    }
}

void Form1::GatherFP() {
    // Only exactly 1 enables a style; the search ends after one full round whatever the store
    // holds.
    for (int step = 0; step < kStyles; ++step) {
        if (Settings.ShowFP[Settings.CurrentFP] == 1) return;
        ++Settings.CurrentFP;
        if (Settings.CurrentFP > kStyles) Settings.CurrentFP = 1;
    }
}

}  // namespace hg
