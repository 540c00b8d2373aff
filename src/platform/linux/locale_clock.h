#pragma once
// The clock and the user's regional formats on Linux: the C library's local time and the
// locale's LC_TIME (weekday and month names, and its time format for the long time).
#include "scene/scene_host.h"

namespace hg {

class LocaleClock : public Clock {
  public:
    double TimeOfDay() override;
    std::string WeekdayText() override;
    std::string DayText() override;
    std::string MonthText() override;
    std::string LongTimeText() override;
};

// `format` applied to the local time now, in UTF-8 whatever the locale's own character set.
std::string FormatLocalTime(const char* format);

}  // namespace hg
