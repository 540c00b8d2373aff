#pragma once
// The one text-to-number rule of the program: blanks around the number are allowed, an optional
// sign, decimal digits with at most one decimal point, an optional exponent. Fractions round to
// the nearest integer with a half going to the even neighbour.
#include <cstdint>
#include <optional>
#include <string_view>

namespace hg {

// The value of a numeric text, or nothing when the text is not numeric.
std::optional<double> ParseNumber(std::string_view text);

// Rounded to the nearest integer (half to even); nothing when not numeric or out of range.
std::optional<int16_t> TextToInt16(std::string_view text);
std::optional<int32_t> TextToInt32(std::string_view text);

// Rounds half to even; nothing when the result does not fit.
std::optional<int32_t> RoundToInt32(double value);

}  // namespace hg
