#pragma once
// A window timer as the forms see it: an object with Enabled and Interval whose ticks the
// platform's message loop delivers. The forms never sleep or poll.
#include <functional>

namespace hg {

class Timer;

// The platform side: arms and disarms the real timer whenever a Timer changes.
class TimerDriver {
  public:
    virtual ~TimerDriver() = default;
    virtual void TimerChanged(Timer& timer) = 0;
    virtual void TimerDestroyed(Timer& timer) = 0;
};

class Timer {
  public:
    Timer(TimerDriver& driver, int intervalMs, bool enabled, std::function<void()> onTick)
        : Timer(driver, "", intervalMs, enabled, std::move(onTick)) {}
    // `name` is the form's name for the timer, for whoever watches the timers from outside.
    Timer(TimerDriver& driver, const char* name, int intervalMs, bool enabled,
          std::function<void()> onTick)
        : driver_(driver),
          name_(name),
          interval_(intervalMs),
          enabled_(enabled),
          onTick_(std::move(onTick)) {
        driver_.TimerChanged(*this);
    }
    ~Timer() { driver_.TimerDestroyed(*this); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const char* Name() const { return name_; }
    bool Enabled() const { return enabled_; }
    int Interval() const { return interval_; }
    // Enabling a disabled timer starts a fresh period; enabling an enabled one changes nothing.
    void SetEnabled(bool enabled) {
        if (enabled == enabled_) return;
        enabled_ = enabled;
        driver_.TimerChanged(*this);
    }
    void SetInterval(int intervalMs) {
        interval_ = intervalMs;
        driver_.TimerChanged(*this);
    }
    // Called by the driver when a period has passed.
    void Tick() {
        if (enabled_ && onTick_) onTick_();
    }

  private:
    TimerDriver& driver_;
    const char* name_;
    int interval_;
    bool enabled_;
    std::function<void()> onTick_;
};

}  // namespace hg
