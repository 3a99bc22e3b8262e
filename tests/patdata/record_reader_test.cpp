#include "common/messages.h"
#include "common/text.h"
#include "patdata/pat_bytes.h"
#include "patdata/pat_file.h"
#include "patdata/race_header_fixture.h"
#include "patdata/record_reader.h"
#include "support/temp_dir.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace velmora {
namespace {

using test::PatBytes;

TEST(PatFile, OpensOnlyOrdinaryFiles) {
    test::TempDir dir;
    std::string file = dir.Write("Zo-1.jra", "abc");
    std::filesystem::create_directory(dir.path() / "Zo-dir.jra");
    std::string fifo = (dir.path() / "Zo-fifo.jra").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    EXPECT_TRUE(PatFile(file).IsOpen());
    EXPECT_FALSE(PatFile("").IsOpen());
    EXPECT_FALSE(PatFile((dir.path() / "missing.jra").string()).IsOpen());
    EXPECT_FALSE(PatFile((dir.path() / "Zo-dir.jra").string()).IsOpen());
    EXPECT_FALSE(PatFile(fifo).IsOpen()); // must neither block nor open
    EXPECT_FALSE(PatFile(std::string("Zo-1.jra\0x", 10)).IsOpen());
}

TEST(PatFile, ReadsExactlyAndStaysFailedAfterAShortRead) {
    test::TempDir dir;
    PatFile file(dir.Write("f", "abcdef"));
    std::string bytes;
    ASSERT_TRUE(file.Read(4, bytes));
    EXPECT_EQ(bytes, "abcd");
    EXPECT_FALSE(file.Read(3, bytes));
    EXPECT_EQ(bytes, "abcd");
    EXPECT_FALSE(file.Read(1, bytes)); // the position is unknown after a failure
}

// Taking a file's first bytes once and reading them again from memory must
// read exactly as the file would: the same fields, the same end.
TEST(PatFile, BytesTakenOnceReadAgainAsTheFileWould) {
    test::TempDir dir;
    std::string path = dir.Write("f", "abcdef");
    std::string bytes;
    EXPECT_TRUE(PatFile(path).ReadAtMost(4, bytes));
    EXPECT_EQ(bytes, "abcd");
    EXPECT_TRUE(PatFile(path).ReadAtMost(10, bytes)); // the file ends first
    EXPECT_EQ(bytes, "abcdef");
    EXPECT_FALSE(PatFile((dir.path() / "missing").string()).ReadAtMost(4, bytes));
    EXPECT_EQ(bytes, "");

    PatFile again(PatFile::Contents{"abcdef"});
    ASSERT_TRUE(again.IsOpen());
    std::string_view view;
    ASSERT_TRUE(again.ReadView(2, view));
    EXPECT_EQ(view, "ab");
    ASSERT_TRUE(again.Read(3, bytes));
    EXPECT_EQ(bytes, "cde");
    EXPECT_FALSE(again.Read(2, bytes)); // one byte left, as in the file
    EXPECT_FALSE(again.ReadView(1, view));
    EXPECT_FALSE(PatFile(PatFile::Contents{""}).ReadView(1, view));
}

// Bytes given in memory are read to their end, however many there are, the
// same through every kind of read.
TEST(PatFile, BytesInMemoryAreNeverCutAtTheBufferSize) {
    std::string contents;
    for (std::size_t i = 0; contents.size() < 3 * PatFile::kChunkSize + 7; ++i) {
        contents += static_cast<char>('a' + i % 26);
    }
    std::string field;
    std::string_view view;
    std::string rest;
    PatFile byFields(PatFile::Contents{contents});
    std::size_t at = 0;
    for (; at + 25 <= contents.size(); at += 25) {
        ASSERT_TRUE(ReadField(byFields, 25, field)) << at;
        ASSERT_EQ(field, contents.substr(at, 25)) << at;
    }
    ASSERT_TRUE(byFields.ReadView(contents.size() - at, view));
    EXPECT_EQ(view, contents.substr(at));
    EXPECT_FALSE(byFields.ReadView(1, view));

    PatFile whole(PatFile::Contents{contents});
    ASSERT_TRUE(whole.Read(contents.size(), rest));
    EXPECT_EQ(rest, contents);
    PatFile wide(PatFile::Contents{contents});
    ASSERT_TRUE(ReadField(wide, static_cast<int>(PatFile::kChunkSize) + 5, field));
    EXPECT_EQ(field, contents.substr(0, PatFile::kChunkSize + 5));
    EXPECT_TRUE(wide.ReadAtMost(contents.size(), rest));
    EXPECT_EQ(rest, contents.substr(PatFile::kChunkSize + 5, PatFile::kChunkSize));
}

TEST(ReadField, ReadsFieldsInSequenceDecodedAndPadded) {
    test::TempDir dir;
    std::string bytes = PatBytes().Add("16", 2).Add("東京", 4).Add("ﾄﾘｹｼ", 4).Add("馬", 6).Add("", 3).bytes();
    PatFile file(dir.Write("f", bytes));
    struct Case {
        int width;
        std::string expected;
    };
    const Case cases[] = {{2, "16"}, {4, "東京  "}, {4, "ﾄﾘｹｼ"}, {6, "馬     "}, {3, "   "}};
    for (const Case& c : cases) {
        std::string field;
        ASSERT_TRUE(ReadField(file, c.width, field)) << c.expected;
        EXPECT_EQ(field, c.expected);
        EXPECT_EQ(CodePointCount(field), static_cast<std::size_t>(c.width));
    }
}

TEST(ReadField, NeverJoinsADoubleByteCharacterAcrossFields) {
    test::TempDir dir;
    std::string tokyo = test::Cp932("東"); // lead byte then trail byte
    PatFile file(dir.Write("f", "A" + tokyo + "B"));
    std::string first;
    std::string second;
    ASSERT_TRUE(ReadField(file, 2, first));
    ASSERT_TRUE(ReadField(file, 2, second));
    EXPECT_NE(first.find("A"), std::string::npos);
    EXPECT_EQ(first.find("東"), std::string::npos);
    EXPECT_EQ(CodePointCount(first), 2u);
    EXPECT_EQ(CodePointCount(second), 2u);
}

TEST(ReadField, FailsOnAShortReadOrAWidthBelowOneAndKeepsTheField) {
    test::TempDir dir;
    PatFile file(dir.Write("f", "abc"));
    std::string field = "kept";
    EXPECT_FALSE(ReadField(file, 0, field));
    EXPECT_FALSE(ReadField(file, -2, field));
    EXPECT_EQ(field, "kept");
    EXPECT_FALSE(ReadField(file, 4, field));
    EXPECT_EQ(field, "kept");
}

// Reads a race header from `bytes` and returns the result with its messages.
struct HeaderRead {
    bool ok;
    RaceHeader header;
    std::vector<Message> messages;
    std::string next; // the byte after the header, if any
};

HeaderRead ReadHeaderOf(const std::string& bytes) {
    test::TempDir dir;
    PatFile file(dir.Write("Zo-1.jra", bytes));
    RecordingMessageSink sink;
    HeaderRead read{};
    read.ok = ReadRaceHeader(file, read.header, sink);
    read.messages = sink.messages;
    std::string next;
    if (read.ok && file.Read(1, next)) {
        read.next = next;
    }
    return read;
}

TEST(ReadRaceHeader, ReadsEveryFieldAtItsOffsetAndWidth) {
    std::string bytes = test::RaceHeaderBytes() + "X";
    HeaderRead read = ReadHeaderOf(bytes);
    ASSERT_TRUE(read.ok);
    EXPECT_TRUE(read.messages.empty());
    EXPECT_EQ(read.next, "X"); // left just behind byte 142
    for (const test::HeaderField& field : test::RaceHeaderFields()) {
        EXPECT_EQ(read.header.*field.member, test::Expected(field.text, field.width)) << field.name;
        EXPECT_EQ(bytes.substr(field.offset, static_cast<std::size_t>(field.width)),
                  PatBytes().Add(field.text, field.width).bytes())
            << field.name;
    }
    EXPECT_EQ(read.header.CourseName, "東京  ");
}

TEST(ReadRaceHeader, FailsSilentlyWhenTheFileEndsInsideAnyField) {
    std::string bytes = test::RaceHeaderBytes("X"); // a wrong marker must not matter here
    auto fields = test::RaceHeaderFields("X");
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        HeaderRead read = ReadHeaderOf(bytes.substr(0, length));
        EXPECT_FALSE(read.ok) << length;
        EXPECT_TRUE(read.messages.empty()) << length;
        // Fields that ended before the cut were read; the rest stay empty.
        for (const test::HeaderField& field : fields) {
            bool complete = field.offset + static_cast<std::size_t>(field.width) <= length;
            EXPECT_EQ(read.header.*field.member, complete ? test::Expected(field.text, field.width) : "")
                << field.name << " at length " << length;
        }
    }
}

TEST(ReadRaceHeader, AcceptsOnlyTheThreeFormatMarkers) {
    struct Case {
        std::string markerByte;
        bool accepted;
    };
    const Case cases[] = {
        {" ", true},
        {"2", true},
        {"3", true},
        {"0", false},
        {"1", false},
        {"4", false},
        {"A", false},
        {"z", false},
        {"\xB1", false},
        {"\x81", false},
        {std::string(1, '\0'), false},
        {"\t", false},
        {"\xFF", false},
    };
    for (const Case& c : cases) {
        std::string bytes = test::RaceHeaderBytes();
        bytes[43] = c.markerByte[0];
        HeaderRead read = ReadHeaderOf(bytes);
        EXPECT_EQ(read.ok, c.accepted) << static_cast<int>(static_cast<unsigned char>(c.markerByte[0]));
        if (c.accepted) {
            EXPECT_TRUE(read.messages.empty());
        } else {
            const std::vector<Message> expected{{"ファイル形式が違います。", kAppTitle, MessageIcon::None}};
            EXPECT_EQ(read.messages, expected);
        }
    }
}

TEST(ReadRaceHeader, ReadsAHeaderOfExactly142BytesToTheEnd) {
    HeaderRead read = ReadHeaderOf(test::RaceHeaderBytes("2"));
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(read.next, "");
    std::string short141 = test::RaceHeaderBytes("2").substr(0, 141);
    EXPECT_FALSE(ReadHeaderOf(short141).ok);
}

TEST(ReadRaceHeader, KeepsDoubleByteRaceNamesPaddedToTheirWidth) {
    std::string tenKanji = "天皇賞秋古馬中距離戦";
    PatBytes bytes;
    bytes.AddRaw(test::RaceHeaderBytes().substr(0, 48))
        .Add(tenKanji, 28)
        .AddRaw(test::RaceHeaderBytes().substr(76));
    HeaderRead read = ReadHeaderOf(bytes.bytes());
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.header.RaceName, tenKanji + std::string(18, ' '));
    EXPECT_EQ(CodePointCount(read.header.RaceName), 28u);
}

TEST(CountFromField, ReadsRunnerCountsLikeEveryOtherNumber) {
    struct Case {
        std::string field;
        int count;
    };
    const Case cases[] = {{" 9", 9},  {"09", 9},  {"9 ", 9},  {"  ", 0},      {"ab", 0},
                          {"-1", -1}, {"18", 18}, {"2.5", 2}, {"1e9", 32767}, {"", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(CountFromField(c.field), c.count) << c.field;
    }
}

} // namespace
} // namespace velmora
