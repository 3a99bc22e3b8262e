#include "common/display_width.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(TextWidthTest, ColumnsOfCharacters) {
    struct Case {
        std::string text;
        std::size_t width;
    };
    const Case cases[] = {
        {"", 0},
        {"abc 1.5", 7},
        {"東京", 4},            // kanji
        {"ジャパンカップ", 14}, // full-width katakana
        {"ﾄﾘｹｼ", 4},            // half-width katakana
        {"ﾚｰｽ名", 5},           // mixed
        {"７頭立て", 8},        // full-width digit
        {"　", 2},              // ideographic space
        {"～", 2},              // full-width tilde
        {"◎○", 2},              // ambiguous width: narrow
        {"’９９", 5},           // ambiguous quote, full-width digits
        {"e\xCC\x81", 1},       // combining accent
        {"\xE2\x80\x8B", 0},    // zero-width space
        {"\t\x1b", 0},          // control characters
        {"한글", 4},            // hangul
        {"😀", 2},               // emoji
        {"\xff", 1},            // ill-formed byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DisplayWidth(c.text), c.width) << c.text;
    }
}

TEST(TextWidthTest, PaddingCountsColumns) {
    EXPECT_EQ(PadToColumns("東京", 6, Align::Left), "東京  ");
    EXPECT_EQ(PadToColumns("ﾄﾘｹｼ", 6, Align::Right), "  ﾄﾘｹｼ");
    EXPECT_EQ(PadToColumns("阪神競馬場", 4, Align::Left), "阪神競馬場");
}

TEST(TextWidthTest, TableColumnsLineUpOnScreen) {
    std::string table = FormatTable({{"No", "場名", "ﾚｰｽ"}, {"1", "東京", "10R"}, {"12", "ab", ""}},
                                    {Align::Right, Align::Left, Align::Right});
    EXPECT_EQ(table, "No  場名  ﾚｰｽ\n"
                     " 1  東京  10R\n"
                     "12  ab\n");
    // Every line puts its third column at the same screen column.
    EXPECT_EQ(FormatTable({{"東", "x"}, {"ab", "y"}, {"ｱｲ", "z"}}, {}), "東  x\nab  y\nｱｲ  z\n");
}

} // namespace
} // namespace velmora
