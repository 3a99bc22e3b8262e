#include "common/conversions.h"

#include "common/text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace velmora {
namespace {

bool IsSkippedBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the longest prefix of `s` that is a decimal number; 0 when none.
std::size_t NumberPrefixLength(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            ++j;
        }
        std::size_t expDigits = 0;
        while (j < s.size() && IsDigit(s[j])) {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0) {
            i = j;
        }
    }
    return i;
}

constexpr int kMaxExactPower = 15;
// Powers of ten that a double holds exactly.
constexpr std::array<double, kMaxExactPower + 1> kPowersOfTen{1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// A plain decimal of at most 15 digits ("12.3", "-0.05"), the sheet's usual
// text: its digits as an integer and the power of ten it is divided by are both
// exact in a double, so the one division is rounded exactly as from_chars
// rounds the decimal. False for anything else (an exponent, more digits).
bool ParsePlainDecimal(std::string_view number, double& value) {
    constexpr int kMaxDigits = kMaxExactPower;
    bool negative = !number.empty() && number.front() == '-';
    if (negative || (!number.empty() && number.front() == '+')) {
        number.remove_prefix(1);
    }
    std::int64_t mantissa = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (char c : number) {
        if (c == '.' && !point) {
            point = true;
        } else if (IsDigit(c) && digits < kMaxDigits) {
            mantissa = mantissa * 10 + (c - '0');
            ++digits;
            decimals += point ? 1 : 0;
        } else {
            return false;
        }
    }
    if (digits == 0) {
        return false;
    }
    value = static_cast<double>(mantissa) / kPowersOfTen[static_cast<std::size_t>(decimals)];
    value = negative ? -value : value;
    return true;
}

// Whether a decimal number that from_chars found out of range is too large
// (rather than too small): the power of ten of its first non-zero digit,
// exponent included, is positive. The exponent saturates, so that any count
// of its digits is read safely.
bool IsTooLarge(std::string_view number) {
    std::size_t exponentAt = number.find_first_of("eE");
    std::string_view mantissa = number.substr(0, exponentAt);
    std::int64_t exponent = 0;
    if (exponentAt != std::string_view::npos) {
        std::string_view digits = number.substr(exponentAt + 1);
        bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
            digits.remove_prefix(1);
        }
        constexpr std::int64_t kSaturated = std::int64_t{1} << 40;
        for (char c : digits) {
            exponent = std::min(exponent * 10 + (c - '0'), kSaturated);
        }
        exponent = negative ? -exponent : exponent;
    }
    std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return false;
    }
    auto place = first < point ? static_cast<std::int64_t>(point - first) - 1
                               : -static_cast<std::int64_t>(first - point);
    return place + exponent > 0;
}

double ParseNumber(std::string_view number) {
    double plain = 0.0;
    if (ParsePlainDecimal(number, plain)) {
        return plain;
    }
    bool negative = !number.empty() && number.front() == '-';
    // from_chars takes no leading "+" and never consults the locale.
    if (!number.empty() && number.front() == '+') {
        number.remove_prefix(1);
    }
    double value = 0.0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // A number too large to hold ranks as the largest one that can be held;
        // one too small is zero.
        constexpr double kLargest = std::numeric_limits<double>::max();
        if (!IsTooLarge(number)) {
            return negative ? -0.0 : 0.0;
        }
        return negative ? -kLargest : kLargest;
    }
    if (result.ec != std::errc() || !std::isfinite(value)) {
        return 0.0;
    }
    return value;
}

std::string_view TrimBlanks(std::string_view s) {
    return TrimCharacters(s, " \t");
}

// Rounds the decimal text that printf("%.*e") produced to `decimals` places,
// half away from zero, and writes it with at least one integer digit. The
// figures of a race are formatted by the dozen, so the text is built in place.
std::string RoundScientificText(const char* sci, int decimals) {
    std::string_view text(sci);
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    std::size_t pos = text.find('e');
    if (pos == std::string_view::npos) {
        pos = text.size();
    }
    std::string_view mantissa = text.substr(0, pos);
    auto digitAt = [mantissa](std::size_t index) {
        // The index-th digit of the mantissa, the point left out.
        for (char c : mantissa) {
            if (IsDigit(c) && index-- == 0) {
                return c;
            }
        }
        return '\0';
    };
    auto digitCount = static_cast<std::size_t>(std::count_if(mantissa.begin(), mantissa.end(), IsDigit));
    int exponent = 0;
    if (pos < text.size()) {
        std::from_chars(text.data() + pos + 1 + (text[pos + 1] == '+' ? 1 : 0), text.data() + text.size(),
                        exponent);
    }
    // Value = 0.d1d2d3... * 10^(exponent + 1); place the digits on a fixed grid
    // with `decimals` places after the point.
    int intDigits = exponent + 1;
    std::string grid; // integer part followed by exactly `decimals` digits
    int kept = intDigits + decimals;
    bool roundUp = false;
    if (kept <= 0) {
        grid.assign(static_cast<std::size_t>(decimals) + 1, '0');
        roundUp = kept == 0 && digitCount > 0 && digitAt(0) >= '5';
    } else {
        auto keptCount = static_cast<std::size_t>(kept);
        std::size_t leading = intDigits <= 0 ? static_cast<std::size_t>(1 - intDigits) : 0;
        grid.assign(leading + keptCount, '0');
        std::size_t k = 0;
        for (char c : mantissa) {
            if (IsDigit(c) && k < keptCount) {
                grid[leading + k++] = c;
            }
        }
        roundUp = keptCount < digitCount && digitAt(keptCount) >= '5';
    }
    if (roundUp) {
        int k = static_cast<int>(grid.size()) - 1;
        while (k >= 0 && grid[static_cast<std::size_t>(k)] == '9') {
            grid[static_cast<std::size_t>(k--)] = '0';
        }
        if (k < 0) {
            grid.insert(grid.begin(), '1');
        } else {
            ++grid[static_cast<std::size_t>(k)];
        }
    }
    std::size_t integerLength = grid.size() - static_cast<std::size_t>(decimals);
    std::size_t zeros = 0;
    while (zeros + 1 < integerLength && grid[zeros] == '0') {
        ++zeros;
    }
    bool allZero = std::all_of(grid.begin(), grid.end(), [](char c) { return c == '0'; });
    std::string out;
    out.reserve(grid.size() + 2);
    if (negative && !allZero) {
        out += '-';
    }
    out.append(grid, zeros, integerLength - zeros);
    if (decimals > 0) {
        out += '.';
        out.append(grid, integerLength);
    }
    return out;
}

// The figure rounded straight from the binary value, for a value far enough
// from a half that writing it with `significant` digits first cannot change
// the way it rounds: that writing moves it by at most half a unit of its last
// digit, and the margin is twice that. Most figures are far from a half, and
// this saves their conversion to decimal digits. False where the digits must
// decide.
bool FormatDirectly(double value, int significant, int decimals, std::string& out) {
    if (!std::isfinite(value) || significant < 1 || significant > kMaxExactPower || decimals < 0 ||
        decimals > kMaxExactPower) {
        return false;
    }
    double scaled = std::fabs(value) * kPowersOfTen[static_cast<std::size_t>(decimals)];
    if (!(scaled < kPowersOfTen[kMaxExactPower])) {
        return false;
    }
    double whole = std::floor(scaled);
    double fraction = scaled - whole; // exact below 2^52
    double margin = scaled / kPowersOfTen[static_cast<std::size_t>(significant - 1)];
    if (std::fabs(fraction - 0.5) <= margin) {
        return false;
    }
    auto rounded = static_cast<std::uint64_t>(fraction > 0.5 ? whole + 1 : whole);
    std::array<char, 24> digits{};
    auto end = std::to_chars(digits.data(), digits.data() + digits.size(), rounded).ptr;
    std::string_view text(digits.data(), static_cast<std::size_t>(end - digits.data()));
    auto fractionDigits = static_cast<std::size_t>(decimals);
    out.clear();
    if (value < 0 && rounded != 0) {
        out += '-';
    }
    // At least one integer digit, then exactly `decimals` of the fraction.
    if (text.size() <= fractionDigits) {
        out += '0';
        if (decimals > 0) {
            out += '.';
            out.append(fractionDigits - text.size(), '0');
            out += text;
        }
        return true;
    }
    out += text.substr(0, text.size() - fractionDigits);
    if (decimals > 0) {
        out += '.';
        out += text.substr(text.size() - fractionDigits);
    }
    return true;
}

std::string FormatWithSignificantDigits(double value, int significant, int decimals) {
    std::string direct;
    if (FormatDirectly(value, significant, decimals, direct)) {
        return direct;
    }
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    // The same digits as printf("%.*e"), without the locale and format parsing.
    std::array<char, 64> buffer{};
    std::to_chars(buffer.data(), buffer.data() + buffer.size() - 1, value, std::chars_format::scientific,
                  significant - 1);
    return RoundScientificText(buffer.data(), decimals);
}

} // namespace

double NumericValue(std::string_view text) {
    // Most texts are a plain decimal and nothing else: no blanks to skip, no
    // end to find.
    double plain = 0.0;
    if (ParsePlainDecimal(text, plain)) {
        return plain;
    }
    // Blanks between the characters are skipped, so the number is read from a
    // compacted copy: on the stack for any text the sheet or a PAT field holds.
    std::array<char, 64> small;
    std::string large;
    char* compact = small.data();
    if (text.size() > small.size()) {
        large.resize(text.size());
        compact = large.data();
    }
    std::size_t used = 0;
    for (char c : text) {
        if (!IsSkippedBlank(c)) {
            compact[used++] = c;
        }
    }
    std::string_view view(compact, used);
    std::size_t length = NumberPrefixLength(view);
    return length == 0 ? 0.0 : ParseNumber(view.substr(0, length));
}

bool IsNumericText(std::string_view text) {
    std::string_view trimmed = TrimBlanks(text);
    std::size_t length = NumberPrefixLength(trimmed);
    return length > 0 && length == trimmed.size();
}

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

std::int16_t CountFromValue(double value) {
    double rounded = RoundHalfEven(value);
    if (!(rounded >= std::numeric_limits<std::int16_t>::min())) {
        return std::numeric_limits<std::int16_t>::min();
    }
    if (rounded > std::numeric_limits<std::int16_t>::max()) {
        return std::numeric_limits<std::int16_t>::max();
    }
    return static_cast<std::int16_t>(rounded);
}

std::int16_t ParseIntOrZero(std::string_view text) {
    double value = 0.0;
    // A plain decimal is numeric text with nothing to trim.
    if (!ParsePlainDecimal(text, value)) {
        if (!IsNumericText(text)) {
            return 0;
        }
        value = ParseNumber(TrimBlanks(text));
    }
    double rounded = RoundHalfEven(value);
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max()) {
        return 0;
    }
    return static_cast<std::int16_t>(rounded);
}

std::string FormatFixed(double value, int decimals) {
    return FormatWithSignificantDigits(value, 15, decimals);
}

std::string FormatFixed(float value, int decimals) {
    return FormatWithSignificantDigits(static_cast<double>(value), 7, decimals);
}

std::string FormatSingle(float value) {
    std::array<char, 32> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

} // namespace velmora
