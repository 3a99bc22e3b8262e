#include "common/messages.h"
#include "patdata/pat_bytes.h"
#include "patdata/quinella_odds.h"
#include "patdata/race_header_fixture.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using test::PatBytes;
using test::RunnerDigit;

// One field of a pair cell: offset in the cell, width, and a text naming the
// pair so that a cell read into the wrong place or shifted shows.
struct CellField {
    const char* name;
    std::size_t offset;
    int width;
    std::string PairOdds::*member;
};

const CellField kCellFields[] = {
    {"Field1", 0, 2, &PairOdds::Field1},
    {"Field2", 2, 5, &PairOdds::Field2},
    {"QuinellaOdds", 7, 6, &PairOdds::QuinellaOdds},
    {"WideOddsMin", 13, 6, &PairOdds::WideOddsMin},
    {"WideOddsMax", 19, 6, &PairOdds::WideOddsMax},
};

std::string CellText(int i, int j, const CellField& field) {
    std::string pair{RunnerDigit(i), RunnerDigit(j)};
    return field.width == 2 ? pair : std::string(1, field.name[0]) + pair + "東"; // 5 bytes in CP932
}

// A quinella odds file whose header counts `runnerCount` and which holds the
// cells of a table of `tableRunners` runners, the first `cells` of them.
std::string QuinellaBytes(const std::string& runnerCount, int tableRunners, int cells = -1) {
    PatBytes bytes;
    bytes.AddRaw(test::RaceHeaderBytes("3", runnerCount)).Add("sp", 2);
    int written = 0;
    for (int i = 1; i <= tableRunners; ++i) {
        for (int j = i + 1; j <= tableRunners; ++j) {
            if (cells >= 0 && written == cells) {
                return bytes.bytes();
            }
            std::size_t k = static_cast<std::size_t>((i - 1) * tableRunners - i * (i - 1) / 2 + (j - i - 1));
            EXPECT_EQ(bytes.size(), 144 + 25 * k);
            for (const CellField& field : kCellFields) {
                EXPECT_EQ(bytes.size(), 144 + 25 * k + field.offset);
                bytes.Add(CellText(i, j, field), field.width);
            }
            ++written;
        }
    }
    return bytes.bytes();
}

struct QuinellaRead {
    bool ok;
    QuinellaRecord record;
    std::vector<Message> messages;
};

QuinellaRead ReadBytes(const std::string& bytes) {
    static const test::TempDir dir; // one folder for the many cut-short variants
    RecordingMessageSink sink;
    QuinellaRead read{};
    read.ok = ReadQuinellaOdds(dir.Write("Uo-1.jra", bytes), read.record, sink);
    read.messages = sink.messages;
    return read;
}

// Cells (i, j) with i < j <= filledRunners hold their texts; every other cell is
// all spaces of its widths.
void ExpectCells(const QuinellaRecord& record, int filledRunners, const std::string& context) {
    for (int i = 0; i <= kMaxRunners; ++i) {
        for (int j = 0; j <= kMaxRunners; ++j) {
            const PairOdds& cell = record.Cells[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
            bool filled = i >= 1 && i < j && j <= filledRunners;
            for (const CellField& field : kCellFields) {
                std::string expected = filled ? test::Expected(CellText(i, j, field), field.width)
                                              : std::string(static_cast<std::size_t>(field.width), ' ');
                ASSERT_EQ(cell.*field.member, expected)
                    << context << ": cell (" << i << "," << j << ") " << field.name;
            }
        }
    }
}

TEST(ReadQuinellaOdds, ReadsThreeRunnersCellByCell) {
    std::string bytes = QuinellaBytes(" 3", 3) + "trailing";
    ASSERT_EQ(bytes.substr(144, 2), "12");
    ASSERT_EQ(bytes.substr(169, 2), "13");
    ASSERT_EQ(bytes.substr(194, 2), "23");
    QuinellaRead read = ReadBytes(bytes);
    ASSERT_TRUE(read.ok);
    EXPECT_TRUE(read.messages.empty());
    EXPECT_EQ(read.record.Spare, "sp");
    EXPECT_EQ(read.record.Header.RunnerCount, " 3");
    EXPECT_EQ(read.record.Cells[1][3].QuinellaOdds, "Q13東  ");
    EXPECT_EQ(read.record.Cells[3][1].QuinellaOdds, "      ");
    ExpectCells(read.record, 3, "n=3");
}

TEST(ReadQuinellaOdds, FollowsTheRunnerCountOfItsHeader) {
    struct Case {
        std::string count;
        int tableRunners;
        bool ok;
        int filled;
    };
    // A file holds the cells of as many runners as its header counts; "17" is
    // tried against the cells of 16 runners, "19" against those of 19.
    const Case cases[] = {
        {" 0", 16, true, 0},   {" 1", 16, true, 0},  {"  ", 16, true, 0},   {"ab", 16, true, 0},
        {"-3", 16, true, 0},   {" 2", 2, true, 2},   {" 8", 8, true, 8},    {"16", 16, true, 16},
        {"17", 16, false, -1}, {"18", 18, true, 18}, {"19", 19, false, -1}, {"99", 18, false, -1},
    };
    for (const Case& c : cases) {
        // Bytes behind the table, even whole cells, must not matter.
        std::string trailing = c.ok ? std::string(25 * 18, '9') : std::string();
        QuinellaRead read = ReadBytes(QuinellaBytes(c.count, c.tableRunners) + trailing);
        EXPECT_EQ(read.ok, c.ok) << "count " << c.count;
        EXPECT_TRUE(read.messages.empty());
        if (c.filled >= 0) {
            ExpectCells(read.record, c.filled, "count " + c.count);
        }
    }
}

TEST(ReadQuinellaOdds, StopsAtTheNineteenthRunnerAfterTheFirstRowsCells) {
    QuinellaRead read = ReadBytes(QuinellaBytes("19", 19));
    EXPECT_FALSE(read.ok);
    // Row 1 up to (1,18) was read before runner 19 was reached.
    EXPECT_EQ(read.record.Cells[1][18].Field1, "1I");
    EXPECT_EQ(read.record.Cells[2][3].Field1, "  ");
}

TEST(ReadQuinellaOdds, FailsWhenTheFileEndsInsideAnyCell) {
    std::string full = QuinellaBytes("4", 4);
    ASSERT_EQ(full.size(), 144u + 25u * 6u);
    for (std::size_t length = 141; length < full.size(); ++length) {
        EXPECT_FALSE(ReadBytes(full.substr(0, length)).ok) << length;
    }
    EXPECT_TRUE(ReadBytes(full).ok);
    // 152 of the 153 cells of a full table.
    EXPECT_FALSE(ReadBytes(QuinellaBytes("18", 18, 152)).ok);
    EXPECT_EQ(QuinellaBytes("18", 18).size(), 3969u);
}

// A file that ends inside its last cell: the fields of that cell read before
// the end keep their text, the one cut short and those after it are blank,
// also over a record that held a full table before.
TEST(ReadQuinellaOdds, KeepsTheFieldsOfACellReadBeforeTheFileEnds) {
    test::TempDir dir;
    const std::string full = QuinellaBytes(" 4", 4);
    const std::size_t lastCell = full.size() - 25;
    for (std::size_t length = lastCell; length < full.size(); ++length) {
        RecordingMessageSink sink;
        QuinellaRecord record;
        ASSERT_TRUE(ReadQuinellaOdds(dir.Write("Uo-a.jra", QuinellaBytes("18", 18)), record, sink));
        EXPECT_FALSE(ReadQuinellaOdds(dir.Write("Uo-b.jra", full.substr(0, length)), record, sink));
        const std::string context = "length " + std::to_string(length);
        for (const CellField& field : kCellFields) {
            bool read = lastCell + field.offset + static_cast<std::size_t>(field.width) <= length;
            std::string expected = read ? test::Expected(CellText(3, 4, field), field.width)
                                        : std::string(static_cast<std::size_t>(field.width), ' ');
            EXPECT_EQ(record.Cells[3][4].*field.member, expected) << context << " " << field.name;
        }
        // The cells before the last one were read whole, the ones after it not at all.
        EXPECT_EQ(record.Cells[2][4].WideOddsMax, test::Expected(CellText(2, 4, kCellFields[4]), 6))
            << context;
        EXPECT_EQ(record.Cells[3][5].Field1, "  ") << context;
    }
}

TEST(ReadQuinellaOdds, RefusesAWrongFormatWithOneMessage) {
    std::string bytes = QuinellaBytes("3", 3);
    bytes[43] = '1';
    QuinellaRead read = ReadBytes(bytes);
    EXPECT_FALSE(read.ok);
    const std::vector<Message> expected{{"ファイル形式が違います。", kAppTitle, MessageIcon::None}};
    EXPECT_EQ(read.messages, expected);
}

TEST(ReadQuinellaOdds, FailsWithoutAMessageForAMissingFileOrEmptyPath) {
    RecordingMessageSink sink;
    QuinellaRecord record;
    EXPECT_FALSE(ReadQuinellaOdds("", record, sink));
    EXPECT_FALSE(ReadQuinellaOdds("/nonexistent/Uo-1.jra", record, sink));
    EXPECT_TRUE(sink.messages.empty());
}

TEST(ReadQuinellaOdds, BlanksCellsLeftFromAnEarlierRead) {
    test::TempDir dir;
    RecordingMessageSink sink;
    QuinellaRecord record;
    ASSERT_TRUE(ReadQuinellaOdds(dir.Write("Uo-a.jra", QuinellaBytes("18", 18)), record, sink));
    ASSERT_TRUE(ReadQuinellaOdds(dir.Write("Uo-b.jra", QuinellaBytes(" 5", 5)), record, sink));
    ExpectCells(record, 5, "second read");
}

} // namespace
} // namespace velmora
