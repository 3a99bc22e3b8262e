#include "common/cp932.h"
#include "common/text.h"

#include <gtest/gtest.h>

#include <array>
#include <iconv.h>
#include <string>

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

TEST(Text, ControlCharactersAreShownAsAVisibleSubstitute) {
    EXPECT_EQ(VisibleText("\x1B[41m\x1B]0;title\x07name"), "?[41m?]0;title?name");
    EXPECT_EQ(VisibleText("a\nb\rc\td\x7F"), "a?b?c?d?");
    EXPECT_EQ(VisibleText(std::string("a\0b", 3)), "a?b");
    // C1 controls, whether well-formed UTF-8 or a stray byte.
    EXPECT_EQ(VisibleText("\xC2\x9B"
                          "2J\x9B"
                          "2J"),
              "?2J?2J");
    // Everything printable stays as it is, non-breaking space and kana included.
    EXPECT_EQ(VisibleText("東京 ﾄﾘｹｼ \xC2\xA0~"), "東京 ﾄﾘｹｼ \xC2\xA0~");
    // A message of several lines keeps its line breaks and nothing else.
    EXPECT_EQ(VisibleLines("一行目\n/data/\x1B[31m\r\n\n"), "一行目\n/data/?[31m?\n\n");
}

TEST(Text, OddsTextsLoseOnlyTheirFullWidthDigitsFullStopAndIdeographicSpace) {
    EXPECT_EQ(NarrowOddsText("５．５"), "5.5");
    EXPECT_EQ(NarrowOddsText("　１２３４５６７８９０　"), " 1234567890 ");
    EXPECT_EQ(NarrowOddsText("1５.5"), "15.5");
    // The scratch marker, full-width signs and other text stay.
    EXPECT_EQ(NarrowOddsText("ﾄﾘｹｼ"), "ﾄﾘｹｼ");
    EXPECT_EQ(NarrowOddsText("－５"), "－5");
    EXPECT_EQ(NarrowOddsText("１０倍"), "10倍");
    // Cut sequences and neighbours of the narrowed characters pass unchanged.
    EXPECT_EQ(NarrowOddsText("\xEF\xBC"), "\xEF\xBC");
    EXPECT_EQ(NarrowOddsText("\xEF\xBC\x8F\xEF\xBC\x9A"), "\xEF\xBC\x8F\xEF\xBC\x9A"); // ／ and ：
    EXPECT_EQ(NarrowOddsText("\xE3\x80\x81"), "\xE3\x80\x81");                         // 、
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

TEST(Cp932, AnUnassignedDoubleByteCodeIsOneReplacementCharacter) {
    const std::string kFffd = "\xEF\xBF\xBD";
    EXPECT_EQ(DecodeCp932("\x86\x9F"
                          "A"),
              kFffd + "A");
    // The field keeps its width: four bytes, three characters and one pad.
    EXPECT_EQ(DecodeCp932Field("\x86\x9F"
                               "AB"),
              kFffd + "AB ");
    // A lead byte before a byte that can't trail it leaves that byte alone.
    EXPECT_EQ(DecodeCp932("\x86 A"), kFffd + " A");
}

// The decoding table stands in for iconv; over every one- and two-byte
// sequence it must give exactly what iconv gives, padded to the field width.
TEST(Cp932, FieldDecodingMatchesIconvForEveryOneAndTwoByteSequence) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    auto iconvDecode = [cd](const std::string& bytes, std::string& out) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::array<char, 32> buffer{};
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        bool whole =
            iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
        out.assign(buffer.data(), outPtr);
        return whole;
    };
    int compared = 0;
    int mismatches = 0;
    auto check = [&](const std::string& bytes) {
        std::string expected;
        if (!iconvDecode(bytes, expected)) {
            return; // bad input: the replacement rules are tested on their own
        }
        ++compared;
        std::string decoded = DecodeCp932Field(bytes);
        if (decoded != PadToWidth(expected, bytes.size()) && ++mismatches <= 10) {
            ADD_FAILURE() << "bytes " << std::hex << static_cast<int>(static_cast<unsigned char>(bytes[0]))
                          << (bytes.size() > 1 ? " " + std::to_string(static_cast<unsigned char>(bytes[1]))
                                               : "")
                          << ": " << decoded << " vs " << expected;
        }
    };
    for (int first = 0; first < 256; ++first) {
        check(std::string(1, static_cast<char>(first)));
        for (int second = 0; second < 256; ++second) {
            check(std::string{static_cast<char>(first), static_cast<char>(second)});
        }
    }
    iconv_close(cd);
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(compared, 7000); // the JIS X 0208 set and its extensions
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
