#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// Numeric value of a text, as every field and file number is read: blanks, tabs
// and line feeds anywhere are skipped, then the longest leading decimal number
// (sign, digits, one ".", exponent) is taken. No number gives 0; one too large
// to hold gives the largest finite value of its sign, one too small 0.
double NumericValue(std::string_view text);

// True when the whole text, blanks around it allowed, is one decimal number.
bool IsNumericText(std::string_view text);

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// A count taken from a numeric value: rounded half to even and clamped to the
// 16-bit range so that absurd file contents cannot overflow a loop bound.
std::int16_t CountFromValue(double value);

// The 16-bit integer of a numeric text; anything else, or out of range, is 0.
std::int16_t ParseIntOrZero(std::string_view text);

// Rounds to the nearest single-precision value, as the sheet accessors return odds.
inline float ToSingle(double value) {
    return static_cast<float>(value);
}

// Fixed-decimal text ("0.000" / "0.00" patterns): the value is first written with
// 15 significant digits, then rounded half away from zero to `decimals` places.
std::string FormatFixed(double value, int decimals);
// The same for a single-precision value, written first with 7 significant digits.
std::string FormatFixed(float value, int decimals);

// Shortest decimal text that reads back as the same single-precision value.
std::string FormatSingle(float value);

} // namespace velmora
