#include "common/cp932.h"
#include "common/text.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(Text, CountsAndPadsCodePoints) {
    EXPECT_EQ(CodePointCount(""), 0u);
    EXPECT_EQ(CodePointCount("abc"), 3u);
    EXPECT_EQ(CodePointCount("ﾄﾘｹｼ"), 4u);
    EXPECT_EQ(CodePointCount("東京"), 2u);
    EXPECT_EQ(PadToWidth("東京", 4), "東京  ");
    EXPECT_EQ(PadToWidth("abcdef", 4), "abcdef");
}

TEST(Text, TrimsOnlySpaces) {
    EXPECT_EQ(TrimSpaces("  ﾄﾘｹｼ  "), "ﾄﾘｹｼ");
    EXPECT_EQ(TrimSpaces("\tx\t"), "\tx\t");
    EXPECT_EQ(TrimSpaces("   "), "");
    EXPECT_EQ(TrimLeadingSpaces("  a b  "), "a b  ");
}

TEST(Text, ComparesAsciiWithoutCase) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase("Remarks", "REMARKS"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Remark", "Remarks"));
    EXPECT_EQ(ToLowerAscii("F/Zo-ABC.JRA"), "f/zo-abc.jra");
}

TEST(Cp932, DecodesSingleAndDoubleByteText) {
    EXPECT_EQ(DecodeCp932("16"), "16");
    EXPECT_EQ(DecodeCp932("\xC4\xD8\xB9\xBC"), "ﾄﾘｹｼ");
    EXPECT_EQ(DecodeCp932("\x93\x8C\x8B\x9E"), "東京");
    EXPECT_EQ(DecodeCp932("\x81\x60"), "～");
}

TEST(Cp932, FieldsArePaddedToTheirWidthInCharacters) {
    EXPECT_EQ(DecodeCp932Field("\x93\x8C\x8B\x9E"), "東京  ");
    EXPECT_EQ(DecodeCp932Field(" 9"), " 9");
    std::string tenKanjiAndSpaces;
    for (int i = 0; i < 10; ++i) {
        tenKanjiAndSpaces += "\x93\x8C";
    }
    tenKanjiAndSpaces += std::string(8, ' ');
    std::string decoded = DecodeCp932Field(tenKanjiAndSpaces);
    EXPECT_EQ(CodePointCount(decoded), 28u);
    EXPECT_EQ(decoded.substr(decoded.size() - 18), std::string(18, ' '));
}

TEST(Cp932, BadBytesBecomeReplacementCharacters) {
    // A lead byte cut off at the field's end.
    EXPECT_EQ(DecodeCp932Field("A\x93"), "A\xEF\xBF\xBD");
    // Bytes no CP932 text uses; decoding goes on after each.
    EXPECT_EQ(DecodeCp932("\xFF"
                          "A"),
              "\xEF\xBF\xBD"
              "A");
    EXPECT_EQ(DecodeCp932Field("\xA0\xFD"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    // A NUL byte is kept as a character, not an end.
    EXPECT_EQ(DecodeCp932Field(std::string("a\0b", 3)).size(), 3u);
}

TEST(Cp932, EncodesBackAndRefusesTextWithoutCp932Form) {
    std::string out;
    ASSERT_TRUE(EncodeCp932("東京 ﾄﾘｹｼ", out));
    EXPECT_EQ(out, "\x93\x8C\x8B\x9E \xC4\xD8\xB9\xBC");
    std::string bad;
    EXPECT_FALSE(EncodeCp932("\xF0\x9F\x90\x8E", bad)); // a horse emoji
}

// A character is a whole UTF-8 sequence, or one byte of anything else.
TEST(CharacterLength, WholeSequencesElseOneByte) {
    struct Case {
        std::string text;
        std::size_t pos;
        std::size_t length;
    };
    for (const Case& c :
         {Case{"a東", 0, 1}, Case{"a東", 1, 3}, Case{"\xF0\x9F\x90\x8E", 0, 4}, Case{"\xE6\x9D", 0, 1},
          Case{"\xE6x\x9D", 0, 1}, Case{"\x93\x8C", 0, 1}, Case{"\xC3\xA9", 0, 2}}) {
        EXPECT_EQ(CharacterLength(c.text, c.pos), c.length) << testing::PrintToString(c.text) << ' ' << c.pos;
    }
}

TEST(IsAscii, OnlyBytesBelow0x80) {
    EXPECT_TRUE(IsAscii(""));
    EXPECT_TRUE(IsAscii(std::string(" 12.5\x7F\0", 7)));
    EXPECT_FALSE(IsAscii("12\x80"));
    EXPECT_FALSE(IsAscii("東"));
}

} // namespace
} // namespace velmora
