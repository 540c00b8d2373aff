#include "platform/linux/locale_clock.h"

#include <iconv.h>
#include <langinfo.h>

#include <cstring>
#include <ctime>
#include <string>

namespace hg {

namespace {

struct tm LocalNow(double* fraction = nullptr) {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm t = {};
    localtime_r(&ts.tv_sec, &t);
    if (fraction) *fraction = ts.tv_nsec / 1e9;
    return t;
}

// The scene's texts are UTF-8; a locale of another character set (ISO-8859-1, say) names its
// months in that one.
std::string ToUtf8(const std::string& text) {
    const char* codeset = nl_langinfo(CODESET);
    if (!codeset || !strcmp(codeset, "UTF-8") || !strcmp(codeset, "ANSI_X3.4-1968")) return text;
    iconv_t cd = iconv_open("UTF-8", codeset);
    if (cd == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out(text.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* o = out.data();
    size_t outLeft = out.size();
    size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) return text;
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::string FormatLocalTime(const char* format) {
    struct tm t = LocalNow();
    char buf[256];
    size_t n = strftime(buf, sizeof buf, format, &t);
    return ToUtf8(std::string(buf, n));
}

double LocaleClock::TimeOfDay() {
    double fraction = 0;
    struct tm t = LocalNow(&fraction);
    return t.tm_hour * 3600.0 + t.tm_min * 60.0 + t.tm_sec + fraction;
}

std::string LocaleClock::WeekdayText() { return FormatLocalTime("%A"); }

std::string LocaleClock::DayText() { return std::to_string(LocalNow().tm_mday); }

std::string LocaleClock::MonthText() { return FormatLocalTime("%b"); }

std::string LocaleClock::LongTimeText() {
    // The locale's own time of day with seconds: "%H:%M:%S" in many, "%I:%M:%S %p" in others.
    const char* format = nl_langinfo(T_FMT);
    return FormatLocalTime(format && *format ? format : "%H:%M:%S");
}

}  // namespace hg
