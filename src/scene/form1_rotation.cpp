// Hearth-style rotation: which surround is shown, and when it moves on.
#include "scene/form1.h"

namespace hg {

namespace {

constexpr int kStyles = 6;
// 546 minutes is the longest period whose seconds fit a 16-bit count.
constexpr int16_t kLongestPeriodMinutes = 546;
// The next style's pictures are made ready this many seconds before it shows: at a high
// detail they take a good part of a flame step, and made in the frame that first shows them
// they would hold it back.
constexpr int16_t kReadySeconds = 2;

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
    if (RotateCount == Settings.RotateT - kReadySeconds) ReadyFP();
    // The next tick rotates: the flames it shows under the new style can be made in the idle
    // moments of the frame before, when it is known which one that is.
    if (RotateCount == Settings.RotateT - 1 && NextFP() != Settings.CurrentFP)
        TegoDDrw1.ChangesIn(Timer1.Interval());
    if (RotateCount == Settings.RotateT) {
        ++Settings.CurrentFP;
        if (Settings.CurrentFP >= kStyles + 1 || Settings.CurrentFP < 1) Settings.CurrentFP = 1;
        GatherFP();
        RotateCount = 0;
    }
}

void Form1::GatherFP() { Settings.CurrentFP = GatheredFP(Settings.CurrentFP); }

int16_t Form1::GatheredFP(int16_t fp) const {
    // Only exactly 1 enables a style; the search ends after one full round whatever the store
    // holds.
    for (int step = 0; step < kStyles; ++step) {
        if (Settings.ShowFP[fp] == 1) return fp;
        ++fp;
        if (fp > kStyles) fp = 1;
    }
    return fp;
}

// The style the coming rotation shows, as Timer1_Timer will find it.
int16_t Form1::NextFP() const {
    int16_t fp = static_cast<int16_t>(Settings.CurrentFP + 1);
    if (fp >= kStyles + 1 || fp < 1) fp = 1;
    return GatheredFP(fp);
}

// The style the coming rotation shows, asked to be drawn soon.
void Form1::ReadyFP() {
    const int16_t fp = NextFP();
    if (fp == Settings.CurrentFP || fp < 1 || fp > kStyles) return;
    TegoDDrw1.DrawSoon(SideRSurf[fp]);
    TegoDDrw1.DrawSoon(SideLSurf[fp]);
    TegoDDrw1.DrawSoon(TopSurf[fp]);
    if (fp >= 3 && Settings.ShowM[fp] == 1) TegoDDrw1.DrawSoon(MantelSurf[fp]);
    const int16_t now = Settings.CurrentFP;
    if (now < 1 || now > kStyles) return;
    TegoDDrw1.GoesSoon(SideRSurf[now]);
    TegoDDrw1.GoesSoon(SideLSurf[now]);
    TegoDDrw1.GoesSoon(TopSurf[now]);
    if (now >= 3) TegoDDrw1.GoesSoon(MantelSurf[now]);
}

}  // namespace hg
