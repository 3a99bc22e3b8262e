#include "common/json.h"

#include <gtest/gtest.h>

#include <limits>

namespace velmora {
namespace {

TEST(JsonText, EscapesWhatJsonRequiresAndKeepsTheRest) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"", R"("")"},
        {"plain", R"("plain")"},
        {"say \"hi\"", R"("say \"hi\"")"},
        {"C:\\Pat98\\", R"("C:\\Pat98\\")"},
        {"a/b", R"("a/b")"},
        {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
        {std::string("\0\x01\x1f\x7f", 4), "\"\\u0000\\u0001\\u001f\x7f\""},
        {"第5回 8日", "\"第5回 8日\""},
        {"ﾄﾘｹｼ ◎ 😀", "\"ﾄﾘｹｼ ◎ 😀\""},
        // Ill-formed UTF-8, one U+FFFD per byte: stray continuation, overlong,
        // surrogate, cut-off lead before another character and at the end.
        {"a\x80z", "\"a\xEF\xBF\xBDz\""},
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xE6\x9D"
         "a",
         "\"\xEF\xBF\xBD\xEF\xBF\xBD"
         "a\""},
        {"\xE6\x9D", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
    };
    for (const auto& c : cases) {
        std::string quoted = DumpJson(JsonText(c.in));
        EXPECT_EQ(quoted, c.out);
        Json parsed = Json::parse(quoted, nullptr, false);
        ASSERT_FALSE(parsed.is_discarded()) << quoted;
        if (quoted.find("\xEF\xBF\xBD") == std::string::npos) {
            EXPECT_EQ(parsed, c.in); // round trip
        }
    }
    EXPECT_EQ(DumpJson(Json{{JsonKey("k\xFF"), 1}}), "{\"k\xEF\xBF\xBD\":1}");
}

// Rates keep the shortest form that reads back as the same number, as the
// figures have always been written: no ".0" on whole numbers, and the shorter
// of the plain and the exponent form.
TEST(DumpJson, NumbersWithAFractionTakeTheirShortestForm) {
    const std::pair<double, const char*> cases[] = {
        {0.0, "0"},
        {1.0, "1"},
        {0.5, "0.5"},
        {0.25, "0.25"},
        {2.0 / 3.0, "0.6666666666666666"},
        {0.0002, "2e-04"},
        {0.0012, "0.0012"},
        {1e-05, "1e-05"},
        {12.3, "12.3"},
        {100000.0, "1e+05"},
        {123456.0, "123456"},
        {-1.5, "-1.5"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(DumpJson(Json(value)), text) << value;
        EXPECT_EQ(Json::parse(text).get<double>(), value);
    }
}

TEST(DumpJson, CompactAndInTheOrderBuilt) {
    Json json = {{"z", -3},
                 {"b", Json::array()},
                 {"c", {{{"x", true}}, Json::object()}},
                 {"d", Json::array({"p", ""})},
                 {"a", nullptr},
                 {"e", false},
                 {"big", std::numeric_limits<std::int64_t>::max()}};
    EXPECT_EQ(
        DumpJson(json),
        R"({"z":-3,"b":[],"c":[{"x":true},{}],"d":["p",""],"a":null,"e":false,"big":9223372036854775807})");
    EXPECT_EQ(Json::parse(DumpJson(json)), json);
}

} // namespace
} // namespace velmora
