#include "common/number_text.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace hg {

namespace {

// Blanks and tabs may stand around a number; a line end may not.
bool IsSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpaceOrTab(text[begin])) ++begin;
    while (end > begin && IsSpaceOrTab(text[end - 1])) --end;
    std::string_view t = text.substr(begin, end - begin);
    if (t.empty()) return std::nullopt;

    size_t i = 0;
    if (t[i] == '+' || t[i] == '-') ++i;
    size_t digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        char c = t[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        size_t expDigits = 0;
        while (j < t.size() && t[j] >= '0' && t[j] <= '9') {
            ++j;
            ++expDigits;
        }
        if (expDigits == 0) return std::nullopt;
        i = j;
    }
    if (i != t.size()) return std::nullopt;

    // strtod accepts exactly this grammar (and more, which was ruled out above); copy so the
    // text is terminated.
    std::string copy(t);
    double value = std::strtod(copy.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<int32_t> RoundToInt32(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    double r = std::nearbyint(value);  // default rounding mode: half to even
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<int32_t>(r);
}

std::optional<int32_t> TextToInt32(std::string_view text) {
    auto v = ParseNumber(text);
    if (!v) return std::nullopt;
    return RoundToInt32(*v);
}

std::optional<int16_t> TextToInt16(std::string_view text) {
    auto v = TextToInt32(text);
    if (!v || *v < INT16_MIN || *v > INT16_MAX) return std::nullopt;
    return static_cast<int16_t>(*v);
}

}  // namespace hg
