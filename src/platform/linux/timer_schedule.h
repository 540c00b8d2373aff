#pragma once
// The forms' timers on a loop of our own: which timer is due when, as Windows runs SetTimer.
// A tick that comes late is delivered once and the next period counts from then, as a late
// WM_TIMER is: a loop held up for five seconds does not fire five rotation ticks at once.
#include <cstdint>
#include <map>

#include "scene/timer.h"

namespace hg {

class TimerSchedule : public TimerDriver {
  public:
    // `now` gives milliseconds from any fixed origin.
    explicit TimerSchedule(int64_t (*now)()) : now_(now) {}

    void TimerChanged(Timer& timer) override;
    void TimerDestroyed(Timer& timer) override;

    // Ticks every timer that is due, earliest first, and returns the milliseconds until the
    // next one is due (-1 when none is armed).
    int RunDue();

  private:
    struct Entry {
        int64_t due = 0;
        uint64_t order = 0;  // among timers due at once, the one armed first ticks first
        bool armed = false;
    };
    int64_t (*now_)();
    std::map<Timer*, Entry> entries_;
    uint64_t nextOrder_ = 0;
};

}  // namespace hg
