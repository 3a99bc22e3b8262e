#include "common/conversions.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace velmora {
namespace {

TEST(NumericValue, TakesTheLongestLeadingNumber) {
    EXPECT_DOUBLE_EQ(NumericValue("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(NumericValue("1,234.5"), 1.0);
    EXPECT_DOUBLE_EQ(NumericValue("12.5abc"), 12.5);
    EXPECT_DOUBLE_EQ(NumericValue("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(NumericValue("-3.5"), -3.5);
    EXPECT_DOUBLE_EQ(NumericValue("+7"), 7.0);
    EXPECT_DOUBLE_EQ(NumericValue(".5"), 0.5);
    EXPECT_DOUBLE_EQ(NumericValue("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(NumericValue("2E-1x"), 0.2);
    EXPECT_DOUBLE_EQ(NumericValue("5e"), 5.0); // an exponent without digits is not part of the number
    EXPECT_DOUBLE_EQ(NumericValue("5e+"), 5.0);
}

// Short decimals take a quicker way than long ones; both must give the double
// nearest the text, bit for bit, on either side of the 15-digit boundary.
TEST(NumericValue, ReadsTheNearestDoubleWhateverTheNumberOfDigits) {
    for (const char* text : {"0.1", "0.3", "2.675", "-0.0", "999.9", "123456789012345", "1234567890123456",
                             "0.12345678901234", "0.123456789012345678", "9007199254740993", "1.5e-3"}) {
        double expected = std::strtod(text, nullptr);
        double read = NumericValue(text);
        EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << text;
    }
}

// The quick way against from_chars over many generated decimals: signs,
// leading zeros, a point anywhere or none, up to 18 digits.
TEST(NumericValue, GeneratedDecimalsReadAsFromCharsReadsThem) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> digitCount(1, 18);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> form(0, 5);
    for (int n = 0; n < 200000; ++n) {
        std::string digits;
        for (int k = digitCount(random); k > 0; --k) {
            digits += static_cast<char>('0' + digit(random));
        }
        std::uniform_int_distribution<std::size_t> pointAt(0, digits.size());
        std::string text = digits;
        if (form(random) != 0) {
            text.insert(pointAt(random), 1, '.');
        }
        double expected = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        int sign = form(random);
        text.insert(0, sign == 0 ? "-" : sign == 1 ? "+" : "");
        expected = sign == 0 ? -expected : expected;
        double read = NumericValue(text);
        ASSERT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << text;
        double rounded = std::nearbyint(expected);
        std::int16_t whole = rounded >= -32768 && rounded <= 32767 ? static_cast<std::int16_t>(rounded) : 0;
        ASSERT_EQ(ParseIntOrZero(text), whole) << text;
    }
}

TEST(NumericValue, SkipsBlanksTabsAndLineFeedsAnywhere) {
    EXPECT_DOUBLE_EQ(NumericValue("1 2.5"), 12.5);
    EXPECT_DOUBLE_EQ(NumericValue("  \t 9"), 9.0);
    EXPECT_DOUBLE_EQ(NumericValue(" 1\n6 "), 16.0);
    EXPECT_DOUBLE_EQ(NumericValue("- 4"), -4.0);
    EXPECT_DOUBLE_EQ(NumericValue(" 9"), 9.0); // a runner count field " 9"
    EXPECT_DOUBLE_EQ(NumericValue("09"), 9.0);
    EXPECT_DOUBLE_EQ(NumericValue("3\r"), 3.0); // a carriage return ends the number
}

TEST(NumericValue, NoNumberGivesZero) {
    EXPECT_DOUBLE_EQ(NumericValue(""), 0.0);
    EXPECT_DOUBLE_EQ(NumericValue("  "), 0.0);
    EXPECT_DOUBLE_EQ(NumericValue("ﾄﾘｹｼ"), 0.0);
    EXPECT_DOUBLE_EQ(NumericValue("トリケシ"), 0.0);
    EXPECT_DOUBLE_EQ(NumericValue("１２"), 0.0); // full-width digits are not digits
    EXPECT_DOUBLE_EQ(NumericValue("-"), 0.0);
    EXPECT_DOUBLE_EQ(NumericValue("."), 0.0);
}

TEST(NumericValue, ANumberTooLargeToHoldReadsAsTheLargestFiniteValue) {
    constexpr double kLargest = std::numeric_limits<double>::max();
    EXPECT_EQ(NumericValue("1e999"), kLargest);
    EXPECT_EQ(NumericValue(std::string(5000, '9')), kLargest);
    EXPECT_EQ(NumericValue("0.0001e99999999999999999999"), kLargest);
    EXPECT_EQ(NumericValue("-1e999"), -kLargest);
    EXPECT_EQ(NumericValue("+1e999"), kLargest);
    // Too small to hold is zero, however it is written.
    EXPECT_EQ(NumericValue("1e-999"), 0.0);
    EXPECT_EQ(NumericValue("1000e-99999999999999999999"), 0.0);
    EXPECT_EQ(NumericValue("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_DOUBLE_EQ(NumericValue("1e39"), 1e39); // large, but held
}

TEST(ParseIntOrZero, AcceptsOnlyAWholeNumericText) {
    EXPECT_EQ(ParseIntOrZero("3"), 3);
    EXPECT_EQ(ParseIntOrZero(" 3 "), 3);
    EXPECT_EQ(ParseIntOrZero("-12"), -12);
    EXPECT_EQ(ParseIntOrZero("2.5"), 2);
    EXPECT_EQ(ParseIntOrZero("3.5"), 4);
    EXPECT_EQ(ParseIntOrZero("1e2"), 100);
    EXPECT_EQ(ParseIntOrZero(""), 0);
    EXPECT_EQ(ParseIntOrZero("3a"), 0);
    EXPECT_EQ(ParseIntOrZero("1 2"), 0);
    EXPECT_EQ(ParseIntOrZero("99999"), 0);
    EXPECT_EQ(ParseIntOrZero("32767"), 32767);
    EXPECT_EQ(ParseIntOrZero("-32768"), -32768);
    EXPECT_EQ(ParseIntOrZero("32768"), 0);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(2.4999), 2.0);
    EXPECT_EQ(CountFromValue(16.0), 16);
    EXPECT_EQ(CountFromValue(8.5), 8);
    EXPECT_EQ(CountFromValue(1e12), 32767);
    EXPECT_EQ(CountFromValue(-1e12), -32768);
}

TEST(FormatFixed, RoundsTheDecimalFormHalfAwayFromZero) {
    EXPECT_EQ(FormatFixed(0.0625, 3), "0.063");
    EXPECT_EQ(FormatFixed(1.125, 2), "1.13");
    EXPECT_EQ(FormatFixed(0.8, 3), "0.800");
    EXPECT_EQ(FormatFixed(0.8 / 12.8, 3), "0.063");
    EXPECT_EQ(FormatFixed(1.25, 2), "1.25");
    EXPECT_EQ(FormatFixed(0.0005, 3), "0.001");
    EXPECT_EQ(FormatFixed(0.00049, 3), "0.000");
    EXPECT_EQ(FormatFixed(0.9995, 3), "1.000");
    EXPECT_EQ(FormatFixed(99.995, 2), "100.00");
    EXPECT_EQ(FormatFixed(12345.678, 2), "12345.68");
    EXPECT_EQ(FormatFixed(0.0, 3), "0.000");
    EXPECT_EQ(FormatFixed(-0.0625, 3), "-0.063");
    EXPECT_EQ(FormatFixed(-0.0001, 3), "0.000");
    EXPECT_EQ(FormatFixed(7.0, 0), "7");
}

TEST(FormatFixed, BinaryNoiseBelowFifteenDigitsDoesNotMatter) {
    // 1.005 is stored just below 1.005; written with 15 digits it is 1.005 exactly.
    EXPECT_EQ(FormatFixed(1.005, 2), "1.01");
    EXPECT_EQ(FormatFixed(0.8 / 0.32, 3), "2.500");
}

TEST(FormatFixed, SinglePrecisionIsWrittenWithSevenDigitsFirst) {
    EXPECT_EQ(FormatFixed(0.0625f, 3), "0.063");
    EXPECT_EQ(FormatFixed(1.125f, 2), "1.13");
    // 2.675f is 2.67499995...; seven digits make it 2.675, which rounds up.
    EXPECT_EQ(FormatFixed(2.675f, 2), "2.68");
    EXPECT_EQ(FormatFixed(2.675, 2), "2.68");
    EXPECT_EQ(FormatFixed(99.99f, 2), "99.99");
}

// The rounding done the long way on printf's digits: the value written with
// `significant` digits, then rounded half away from zero to `decimals` places.
std::string FixedFromPrintfDigits(double value, int significant, int decimals) {
    char scientific[64];
    std::snprintf(scientific, sizeof scientific, "%.*e", significant - 1, value);
    std::string text = scientific;
    bool negative = text.front() == '-';
    std::size_t e = text.find('e');
    int pointAt = std::stoi(text.substr(e + 1)) + 1; // digits before the point
    std::string digits;
    for (char c : text.substr(0, e)) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    if (pointAt <= 0) {
        digits.insert(0, static_cast<std::size_t>(1 - pointAt), '0');
        pointAt = 1;
    }
    auto kept = static_cast<std::size_t>(pointAt + decimals);
    if (digits.size() <= kept) {
        digits.append(kept + 1 - digits.size(), '0');
    }
    bool up = digits[kept] >= '5';
    digits.resize(kept);
    for (std::size_t k = kept; up && k-- > 0;) {
        up = digits[k] == '9';
        digits[k] = up ? '0' : static_cast<char>(digits[k] + 1);
    }
    if (up) {
        digits.insert(0, 1, '1');
    }
    std::size_t integerDigits = digits.size() - static_cast<std::size_t>(decimals);
    std::size_t zeros = 0;
    while (zeros + 1 < integerDigits && digits[zeros] == '0') {
        ++zeros;
    }
    bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string out = negative && !zero ? "-" : "";
    out += digits.substr(zeros, integerDigits - zeros);
    if (decimals > 0) {
        out += "." + digits.substr(integerDigits);
    }
    return out;
}

// Most figures are rounded straight from the binary value and the rest from
// their digits; over generated figures, halves and values a few units off a
// half included, both must give what the long way gives.
TEST(FormatFixed, GeneratedFiguresRoundAsTheirDigitsSay) {
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> odds(1.0, 999.9);
    std::uniform_int_distribution<int> places(0, 3);
    std::uniform_int_distribution<long long> halves(0, 2000000);
    std::uniform_int_distribution<int> nudge(-3, 3);
    for (int n = 0; n < 200000; ++n) {
        int decimals = places(random);
        double value = 0;
        switch (n % 4) {
        case 0: // a support rate
            value = 0.8 / odds(random);
            break;
        case 1: // an average of two odds
            value = (std::round(odds(random) * 10) + std::round(odds(random) * 10)) / 20;
            break;
        case 2: { // a half at the last place, or a few units off it
            double half = (static_cast<double>(halves(random)) + 0.5) / std::pow(10.0, decimals);
            value = half;
            for (int k = nudge(random); k != 0; k += k > 0 ? -1 : 1) {
                value = std::nextafter(value, k > 0 ? 1e300 : -1e300);
            }
            break;
        }
        default:
            value = -odds(random) / std::pow(10.0, places(random));
            break;
        }
        ASSERT_EQ(FormatFixed(value, decimals), FixedFromPrintfDigits(value, 15, decimals))
            << std::hexfloat << value << " " << decimals;
        float single = static_cast<float>(value);
        ASSERT_EQ(FormatFixed(single, decimals), FixedFromPrintfDigits(single, 7, decimals))
            << std::hexfloat << single << " " << decimals;
    }
}

TEST(FormatSingle, WritesTheShortestText) {
    EXPECT_EQ(FormatSingle(1000.0f), "1000");
    EXPECT_EQ(FormatSingle(1234.5f), "1234.5");
    EXPECT_EQ(FormatSingle(-15.0f), "-15");
}

} // namespace
} // namespace velmora
