#include "cli/json_writer.h"
#include "json_reader.h"

#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

TEST(JsonStringTest, EscapesWhatJsonRequiresAndKeepsTheRest) {
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
        // Ill-formed UTF-8: stray continuation, overlong, surrogate, cut-off lead.
        {"a\x80z", "\"a\xEF\xBF\xBDz\""},
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xE6\x9D", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
    };
    for (const auto& c : cases) {
        std::string quoted = JsonString(c.in);
        EXPECT_EQ(quoted, c.out);
        auto parsed = test::ParseJson(quoted);
        ASSERT_TRUE(parsed) << quoted;
        if (quoted.find("\xEF\xBF\xBD") == std::string::npos) {
            EXPECT_EQ(parsed->text, c.in); // round trip
        }
    }
}

TEST(JsonWriterTest, NestsWithCommasInTheRightPlaces) {
    JsonWriter json;
    json.BeginObject();
    json.Key("a").Int(-3);
    json.Key("b").BeginArray().EndArray();
    json.Key("c")
        .BeginArray()
        .BeginObject()
        .Key("x")
        .Bool(true)
        .EndObject()
        .BeginObject()
        .EndObject()
        .EndArray();
    json.Key("d").StringArray({"p", ""});
    json.Key("e").Bool(false);
    json.EndObject();
    EXPECT_EQ(json.Text(), R"({"a":-3,"b":[],"c":[{"x":true},{}],"d":["p",""],"e":false})");
    EXPECT_TRUE(test::ParseJson(json.Text()));
}

TEST(JsonWriterTest, RefusesToCloseWhatWasNotOpened) {
    JsonWriter json;
    EXPECT_THROW(json.EndObject(), std::logic_error);
    json.BeginObject().Key("k");
    EXPECT_THROW(json.EndObject(), std::logic_error);
}

} // namespace
} // namespace velmora::cli
