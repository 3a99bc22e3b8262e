#include "common/conversions.h"

#include <cstdlib>
#include <cstring>

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

TEST(FormatSingle, WritesTheShortestText) {
    EXPECT_EQ(FormatSingle(1000.0f), "1000");
    EXPECT_EQ(FormatSingle(1234.5f), "1234.5");
    EXPECT_EQ(FormatSingle(-15.0f), "-15");
}

} // namespace
} // namespace velmora
