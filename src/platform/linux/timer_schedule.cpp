#include "platform/linux/timer_schedule.h"

#include <algorithm>
#include <climits>

namespace hg {

void TimerSchedule::TimerChanged(Timer& timer) {
    Entry& e = entries_[&timer];
    e.armed = timer.Enabled() && timer.Interval() > 0;
    if (e.armed) {
        e.due = now_() + timer.Interval();
        e.order = nextOrder_++;
    }
}

void TimerSchedule::TimerDestroyed(Timer& timer) { entries_.erase(&timer); }

int TimerSchedule::RunDue() {
    const int64_t now = now_();
    // Each tick may enable, disable or destroy timers, so the next one is looked up afresh.
    // Only timers already due at `now` run in this pass; one re-armed inside a tick waits.
    for (;;) {
        Timer* next = nullptr;
        const Entry* best = nullptr;
        for (auto& [t, e] : entries_) {
            if (!e.armed || e.due > now) continue;
            if (!best || e.due < best->due || (e.due == best->due && e.order < best->order)) {
                best = &e;
                next = t;
            }
        }
        if (!next) break;
        Entry& e = entries_[next];
        e.due += next->Interval();
        if (e.due <= now) e.due = now + next->Interval();
        next->Tick();
    }
    int64_t soonest = -1;
    for (auto& [t, e] : entries_)
        if (e.armed && (soonest < 0 || e.due < soonest)) soonest = e.due;
    if (soonest < 0) return -1;
    return static_cast<int>(std::clamp<int64_t>(soonest - now_(), 0, INT_MAX));
}

}  // namespace hg
