#include "common/messages.h"
#include "patdata/pat_bytes.h"
#include "patdata/race_header_fixture.h"
#include "patdata/win_place_odds.h"
#include "support/temp_dir.h"

#include <string_view>

#include <gtest/gtest.h>

namespace velmora {
namespace {

using test::PatBytes;
using test::RunnerDigit;

struct OddsField {
    const char* name;
    std::size_t offset;
    int width;
    std::string RunnerOdds::*member;
};

const OddsField kOddsFields[] = {
    {"Field1", 0, 1, &RunnerOdds::Field1},
    {"Field2", 1, 2, &RunnerOdds::Field2},
    {"WinOdds", 3, 5, &RunnerOdds::WinOdds},
    {"PlaceOddsMin", 8, 5, &RunnerOdds::PlaceOddsMin},
    {"PlaceOddsMax", 13, 5, &RunnerOdds::PlaceOddsMax},
};

// A text for each field of runner i that names the field and the runner.
std::string OddsText(int runner, const OddsField& field) {
    std::string digit(1, RunnerDigit(runner));
    std::string_view name = field.name;
    if (name == "Field1") {
        return digit;
    }
    if (name == "Field2") {
        return "n" + digit;
    }
    if (name == "WinOdds") {
        return "W" + digit + "ﾄﾘ";
    }
    return name == "PlaceOddsMin" ? "m" + digit + "ﾄﾘｹ" : "X" + digit + "ｹｼ";
}

// A win/place odds file whose header counts `runnerCount` and which holds
// `entries` runner entries.
std::string OddsBytes(const std::string& runnerCount, int entries) {
    PatBytes bytes;
    bytes.AddRaw(test::RaceHeaderBytes(" ", runnerCount));
    for (int i = 1; i <= entries; ++i) {
        for (const OddsField& field : kOddsFields) {
            EXPECT_EQ(bytes.size(), 142 + 18 * static_cast<std::size_t>(i - 1) + field.offset);
            bytes.Add(OddsText(i, field), field.width);
        }
    }
    return bytes.bytes();
}

struct OddsRead {
    bool ok;
    RaceRecord record;
    std::vector<Message> messages;
};

OddsRead ReadBytes(const std::string& bytes) {
    static const test::TempDir dir; // one folder for the many cut-short variants
    RecordingMessageSink sink;
    OddsRead read{};
    read.ok = ReadWinPlaceOdds(dir.Write("Zo-1.jra", bytes), read.record, sink);
    read.messages = sink.messages;
    return read;
}

void ExpectEntries(const RaceRecord& record, int filled, const std::string& context) {
    for (int i = 0; i <= kMaxRunners; ++i) {
        for (const OddsField& field : kOddsFields) {
            std::string expected =
                (i >= 1 && i <= filled) ? test::Expected(OddsText(i, field), field.width) : "";
            EXPECT_EQ(record.Runners[static_cast<std::size_t>(i)].*field.member, expected)
                << context << ": runner " << i << " " << field.name;
        }
    }
}

TEST(ReadWinPlaceOdds, ReadsHeaderAndEveryEntryFieldAtItsOffset) {
    OddsRead read = ReadBytes(OddsBytes("16", 16));
    ASSERT_TRUE(read.ok);
    EXPECT_TRUE(read.messages.empty());
    for (const test::HeaderField& field : test::RaceHeaderFields(" ", "16")) {
        EXPECT_EQ(read.record.Header.*field.member, test::Expected(field.text, field.width)) << field.name;
    }
    ExpectEntries(read.record, 16, "16 runners");
    EXPECT_EQ(read.record.Runners[7].WinOdds, "W7ﾄﾘ ");
    EXPECT_EQ(read.record.Runners[7].PlaceOddsMin, "m7ﾄﾘｹ");
    EXPECT_EQ(read.record.Runners[16].PlaceOddsMax, "XGｹｼ ");
}

TEST(ReadWinPlaceOdds, FollowsTheRunnerCountOfItsHeader) {
    struct Case {
        std::string count;
        int entries;
        bool ok;
        int filled;
    };
    const Case cases[] = {
        {" 0", 16, true, 0},   {"  ", 16, true, 0},  {"ab", 16, true, 0},   {"-1", 16, true, 0},
        {" 2", 16, true, 2},   {" 8", 16, true, 8},  {"08", 16, true, 8},   {"16", 16, true, 16},
        {"17", 16, false, 16}, {"18", 18, true, 18}, {"19", 19, false, 18}, {"99", 18, false, 18},
    };
    for (const Case& c : cases) {
        OddsRead read = ReadBytes(OddsBytes(c.count, c.entries));
        EXPECT_EQ(read.ok, c.ok) << "count " << c.count;
        EXPECT_TRUE(read.messages.empty());
        ExpectEntries(read.record, c.filled, "count " + c.count);
    }
}

TEST(ReadWinPlaceOdds, FailsWhenTheFileEndsInsideAnyEntry) {
    // Cuts inside the header are covered by the header reader's own tests.
    std::string full = OddsBytes(" 4", 4);
    ASSERT_EQ(full.size(), 142u + 18u * 4u);
    EXPECT_TRUE(ReadBytes(full).ok);
    for (std::size_t length = 141; length < full.size(); ++length) {
        EXPECT_FALSE(ReadBytes(full.substr(0, length)).ok) << length;
    }
    EXPECT_EQ(OddsBytes("18", 18).size(), 466u);
    EXPECT_FALSE(ReadBytes(OddsBytes("18", 18).substr(0, 465)).ok);
}

TEST(ReadWinPlaceOdds, IgnoresBytesBehindTheLastEntry) {
    struct Case {
        const char* name;
        std::string trailing;
    };
    const Case cases[] = {
        {"line end", "\r\n"}, {"another entry", std::string(18, '7')}, {"junk", "\xFF\x81"}};
    for (const Case& c : cases) {
        OddsRead read = ReadBytes(OddsBytes(" 3", 3) + c.trailing);
        EXPECT_TRUE(read.ok) << c.name;
        ExpectEntries(read.record, 3, c.name);
    }
}

TEST(ReadWinPlaceOdds, KeepsOddsTextsAsTheyStand) {
    std::string bytes = test::RaceHeaderBytes("2", " 1");
    bytes += PatBytes().Add("1", 1).Add("01", 2).Add(" 12.5", 5).Add("ﾄﾘｹｼ", 5).Add("100", 5).bytes();
    OddsRead read = ReadBytes(bytes);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.record.Runners[1].WinOdds, " 12.5");
    EXPECT_EQ(read.record.Runners[1].PlaceOddsMin, "ﾄﾘｹｼ ");
    EXPECT_EQ(read.record.Runners[1].PlaceOddsMax, "100  ");
}

TEST(ReadWinPlaceOdds, ReportsAWrongFormatOnceAndReadsNoEntry) {
    std::string bytes = OddsBytes("16", 16);
    bytes[43] = '4';
    OddsRead read = ReadBytes(bytes);
    EXPECT_FALSE(read.ok);
    const std::vector<Message> expected{{"ファイル形式が違います。", kAppTitle, MessageIcon::None}};
    EXPECT_EQ(read.messages, expected);
    ExpectEntries(read.record, 0, "wrong format");
}

TEST(ReadWinPlaceOdds, FailsWithoutAMessageForAMissingFileOrEmptyPath) {
    RecordingMessageSink sink;
    RaceRecord record;
    EXPECT_FALSE(ReadWinPlaceOdds("", record, sink));
    EXPECT_FALSE(ReadWinPlaceOdds("/nonexistent/Zo-1.jra", record, sink));
    EXPECT_TRUE(sink.messages.empty());
}

TEST(ReadRaceFileHeader, ReadsOnlyTheHeader) {
    test::TempDir dir;
    RecordingMessageSink sink;
    struct Case {
        const char* name;
        std::string bytes;
        bool ok;
        std::size_t messages;
    };
    std::string wrongFormat = test::RaceHeaderBytes("9");
    const Case cases[] = {
        {"header only", test::RaceHeaderBytes("3", "18"), true, 0},
        {"with entries", OddsBytes("16", 16), true, 0},
        {"entries cut short", OddsBytes("16", 16).substr(0, 150), true, 0},
        {"short header", test::RaceHeaderBytes().substr(0, 141), false, 0},
        {"wrong format", wrongFormat, false, 1},
    };
    for (const Case& c : cases) {
        sink.messages.clear();
        RaceHeader header;
        EXPECT_EQ(ReadRaceFileHeader(dir.Write("Zo-1.jra", c.bytes), header, sink), c.ok) << c.name;
        EXPECT_EQ(sink.messages.size(), c.messages) << c.name;
    }
    RaceHeader header;
    EXPECT_FALSE(ReadRaceFileHeader((dir.path() / "Zo-missing.jra").string(), header, sink));
}

} // namespace
} // namespace velmora
