#include "common/text.h"
#include "patdata/entry_file.h"
#include "patdata/pat_bytes.h"
#include "patdata/race_header_fixture.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using test::PatBytes;
using test::RunnerDigit;

struct HeaderField {
    const char* name;
    std::size_t offset;
    int width;
    std::string EntryHeader::*member;
    std::string text;
};

std::vector<HeaderField> EntryHeaderFields(const std::string& runnerCount) {
    return {
        {"Field1", 0, 8, &EntryHeader::Field1, "ABCDEFGH"},
        {"Field2", 8, 4, &EntryHeader::Field2, "IJKL"},
        {"Field3", 12, 4, &EntryHeader::Field3, "東京"},
        {"Field4", 16, 2, &EntryHeader::Field4, "MN"},
        {"Field5", 18, 2, &EntryHeader::Field5, "OP"},
        {"Field6", 20, 2, &EntryHeader::Field6, "QR"},
        {"Field7", 22, 4, &EntryHeader::Field7, "STUV"},
        {"Field8", 26, 8, &EntryHeader::Field8, "WXYZabcd"},
        {"Field9", 34, 28, &EntryHeader::Field9, "有馬記念efghijklmnopqrstuvwx"},
        {"Field10", 62, 28, &EntryHeader::Field10, "ｵｰﾌﾟﾝ yz0123456789ABCDEFGHIJ"},
        {"RunnerCount", 90, 2, &EntryHeader::RunnerCount, runnerCount},
    };
}

struct RunnerField {
    const char* name;
    std::size_t offset;
    int width;
    std::string EntryRunner::*member;
};

const RunnerField kRunnerFields[] = {
    {"Field1", 0, 1, &EntryRunner::Field1},   {"Field2", 1, 1, &EntryRunner::Field2},
    {"Field3", 2, 2, &EntryRunner::Field3},   {"Field4", 4, 1, &EntryRunner::Field4},
    {"Field5", 5, 1, &EntryRunner::Field5},   {"HorseName", 6, 18, &EntryRunner::HorseName},
    {"Field7", 24, 18, &EntryRunner::Field7}, {"Field8", 42, 2, &EntryRunner::Field8},
    {"Field9", 44, 4, &EntryRunner::Field9},
};

// A text for each field of runner i that names the field and the runner.
std::string RunnerText(int runner, const RunnerField& field) {
    std::string digit(1, RunnerDigit(runner));
    std::string_view name = field.name;
    if (name == "HorseName") {
        return "ウマ" + digit + "号ﾀﾞｯｼｭ"; // 12 bytes of 18
    }
    if (name == "Field7") {
        return "abcdefghijklmnopq" + digit;
    }
    if (field.width == 1) {
        return name == "Field1" ? digit : std::string(1, name.back());
    }
    return std::string(1, name.back()) + (field.width == 4 ? "zz" : "") + digit;
}

std::string EntryBytes(const std::string& runnerCount, int entries) {
    PatBytes bytes;
    for (const HeaderField& field : EntryHeaderFields(runnerCount)) {
        EXPECT_EQ(bytes.size(), field.offset) << field.name;
        bytes.Add(field.text, field.width);
    }
    for (int i = 1; i <= entries; ++i) {
        for (const RunnerField& field : kRunnerFields) {
            EXPECT_EQ(bytes.size(), 92 + 48 * static_cast<std::size_t>(i - 1) + field.offset);
            bytes.Add(RunnerText(i, field), field.width);
        }
    }
    return bytes.bytes();
}

struct EntryRead {
    bool ok;
    EntryRecord record;
};

EntryRead ReadBytes(const std::string& bytes) {
    static const test::TempDir dir; // one folder for the many cut-short variants
    EntryRead read{};
    read.ok = ReadEntryFile(dir.Write("De-1.jra", bytes), read.record);
    return read;
}

void ExpectEntries(const EntryRecord& record, int filled, const std::string& context) {
    for (int i = 0; i <= kMaxRunners; ++i) {
        for (const RunnerField& field : kRunnerFields) {
            std::string expected =
                (i >= 1 && i <= filled) ? test::Expected(RunnerText(i, field), field.width) : "";
            EXPECT_EQ(record.Runners[static_cast<std::size_t>(i)].*field.member, expected)
                << context << ": runner " << i << " " << field.name;
        }
    }
}

TEST(ReadEntryFile, ReadsEveryFieldAtItsOffsetAndWidth) {
    std::string bytes = EntryBytes("18", 18);
    ASSERT_EQ(bytes.size(), 956u);
    EntryRead read = ReadBytes(bytes);
    ASSERT_TRUE(read.ok);
    for (const HeaderField& field : EntryHeaderFields("18")) {
        EXPECT_EQ(read.record.Header.*field.member, test::Expected(field.text, field.width)) << field.name;
    }
    ExpectEntries(read.record, 18, "18 runners");
    EXPECT_EQ(read.record.Runners[18].HorseName, "ウマI号ﾀﾞｯｼｭ" + std::string(6 + 3, ' '));
}

TEST(ReadEntryFile, FollowsTheRunnerCountOfItsHeader) {
    struct Case {
        std::string count;
        int entries;
        bool ok;
        int filled;
    };
    const Case cases[] = {
        {" 0", 16, true, 0},   {"  ", 16, true, 0},  {"ab", 16, true, 0},   {"-2", 16, true, 0},
        {" 2", 16, true, 2},   {" 8", 16, true, 8},  {"12", 14, true, 12},  {"16", 16, true, 16},
        {"17", 16, false, 16}, {"18", 18, true, 18}, {"19", 19, false, 18}, {"99", 18, false, 18},
    };
    for (const Case& c : cases) {
        EntryRead read = ReadBytes(EntryBytes(c.count, c.entries));
        EXPECT_EQ(read.ok, c.ok) << "count " << c.count;
        ExpectEntries(read.record, c.filled, "count " + c.count);
    }
}

TEST(ReadEntryFile, FailsWhenTheFileEndsInsideTheHeaderOrAnEntry) {
    std::string full = EntryBytes(" 3", 3);
    ASSERT_EQ(full.size(), 92u + 48u * 3u);
    for (std::size_t length = 0; length < full.size(); ++length) {
        EXPECT_FALSE(ReadBytes(full.substr(0, length)).ok) << length;
    }
    EXPECT_TRUE(ReadBytes(full).ok);
    EXPECT_TRUE(ReadBytes(full + "\r\n" + std::string(48, 'x')).ok);
}

TEST(ReadEntryFile, HoldsDoubleByteNamesPaddedToEighteenCharacters) {
    PatBytes bytes;
    bytes.AddRaw(EntryBytes(" 1", 0));
    bytes.Add("1", 1).Add("1", 1).Add("01", 2).Add("", 1).Add("", 1);
    bytes.Add("ディープインパクト", 18).Add("サンデーサイレンス", 18).Add("", 2).Add("", 4);
    EntryRead read = ReadBytes(bytes.bytes());
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.record.Runners[1].HorseName, "ディープインパクト" + std::string(9, ' '));

    PatBytes seven;
    seven.AddRaw(EntryBytes(" 1", 0)).Add("", 6).Add("ゴールドシップ", 18).Add("", 24);
    read = ReadBytes(seven.bytes());
    ASSERT_TRUE(read.ok);
    // Seven double-byte characters: 14 bytes and four spaces in the file.
    EXPECT_EQ(read.record.Runners[1].HorseName, "ゴールドシップ" + std::string(11, ' '));
    EXPECT_EQ(CodePointCount(read.record.Runners[1].HorseName), 18u);
}

TEST(ReadEntryFile, AcceptsAnyHeaderWithoutAFormatCheck) {
    std::string bytes = std::string(90, '\xFF') + " 0";
    EXPECT_TRUE(ReadBytes(bytes).ok);
}

TEST(ReadEntryFile, FailsForAMissingFileOrEmptyPath) {
    EntryRecord record;
    EXPECT_FALSE(ReadEntryFile("", record));
    EXPECT_FALSE(ReadEntryFile("/nonexistent/De-1.jra", record));
}

TEST(ReadEntryHeader, LeavesThePositionAtTheFirstEntry) {
    test::TempDir dir;
    PatFile file(dir.Write("De-1.jra", EntryBytes(" 1", 1)));
    EntryHeader header;
    ASSERT_TRUE(ReadEntryHeader(file, header));
    EXPECT_EQ(header.RunnerCount, " 1");
    std::string next;
    ASSERT_TRUE(file.Read(1, next));
    EXPECT_EQ(next, "1");
}

} // namespace
} // namespace velmora
