#include "browser/file_list.h"
#include "common/cp932.h"
#include "common/text.h"
#include "settings/settings_ops.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace velmora {
namespace {

struct HeaderFields {
    std::string course = "東京";
    std::string meetingNo = "05";
    std::string meetingDay = " 8";
    std::string raceNo = "11";
    char marker = '2';
    std::string raceName = "ジャパンカップ";
    std::string conditions = "サラ系３歳以上オープン";
    std::string runners = "16";
};

std::string Field(const std::string& utf8, std::size_t width) {
    std::string bytes;
    EXPECT_TRUE(EncodeCp932(utf8, bytes)) << utf8;
    EXPECT_LE(bytes.size(), width) << utf8;
    bytes.resize(width, ' ');
    return bytes;
}

// The 142 bytes that open a win/place odds file.
std::string HeaderBytes(const HeaderFields& fields) {
    std::string bytes = std::string(28, '0');
    bytes += Field(fields.course, 4);
    bytes += "    ";
    bytes += Field(fields.meetingNo, 2) + Field(fields.meetingDay, 2) + Field(fields.raceNo, 2);
    bytes += ' ';
    bytes += fields.marker;
    bytes += "    ";
    bytes += Field(fields.raceName, 28) + Field(fields.conditions, 64) + Field(fields.runners, 2);
    EXPECT_EQ(bytes.size(), 142U);
    return bytes;
}

RaceHeader Header(const HeaderFields& fields) {
    RaceHeader header;
    header.CourseName = DecodeCp932Field(Field(fields.course, 4));
    header.MeetingNo = fields.meetingNo;
    header.MeetingDay = fields.meetingDay;
    header.RaceNo = fields.raceNo;
    header.RaceName = DecodeCp932Field(Field(fields.raceName, 28));
    header.Conditions = DecodeCp932Field(Field(fields.conditions, 64));
    header.RunnerCount = fields.runners;
    return header;
}

FileListRow KeyRow(std::string course, std::string meeting, std::string race, std::string file) {
    FileListRow row;
    row.course = std::move(course);
    row.meeting = std::move(meeting);
    row.race = std::move(race);
    row.file = std::move(file);
    return row;
}

std::vector<std::string> Files(const std::vector<FileListRow>& rows) {
    std::vector<std::string> files;
    for (const auto& row : rows) {
        files.push_back(row.file);
    }
    return files;
}

TEST(FileListRowTest, ColumnsOfAListedFile) {
    struct Case {
        std::string meetingNo, meetingDay, raceNo, meeting, race;
    };
    const Case cases[] = {
        {"05", " 8", "11", "第5回 8日", "11R"},
        {" 1", "12", " 9", "第1回 12日", "9R"},
        {"10", "00", "  ", "第10回 0日", "R"},
        {"  ", "ab", "1 ", "第回 ab日", "1R"}, // not numbers: shown trimmed
    };
    for (const auto& c : cases) {
        HeaderFields fields;
        fields.meetingNo = c.meetingNo;
        fields.meetingDay = c.meetingDay;
        fields.raceNo = c.raceNo;
        FileListRow row = MakeFileRow("Zo-a.jra", Header(fields));
        EXPECT_EQ(row.meeting, c.meeting) << c.meetingNo << "/" << c.meetingDay;
        EXPECT_EQ(row.race, c.race) << c.raceNo;
    }
    FileListRow row = MakeFileRow("Zo-a.jra", Header(HeaderFields{}));
    EXPECT_EQ(row.no, "");
    EXPECT_EQ(row.course, "東京  ");
    EXPECT_EQ(row.raceName, PadToWidth("ジャパンカップ", 28));
    EXPECT_EQ(row.runners, "16");
    EXPECT_EQ(CodePointCount(row.conditions), 64U);
    EXPECT_EQ(row.file, "Zo-a.jra");
    EXPECT_EQ(CellText(row, 3), "11R");
    EXPECT_EQ(CellText(row, 7), "Zo-a.jra");
    EXPECT_THROW(CellText(row, 8), std::out_of_range);
}

TEST(FileListSortTest, RaceColumnComparesAsTextAndNumbersAsNumbers) {
    std::vector<FileListRow> rows = {
        KeyRow("東京  ", "第5回 8日", "1R", "a"),  KeyRow("東京  ", "第5回 8日", "10R", "b"),
        KeyRow("東京  ", "第5回 8日", "2R", "c"),  KeyRow("東京  ", "第5回 8日", "12R", "d"),
        KeyRow("東京  ", "第5回 8日", "11R", "e"),
    };
    SortFileRows(rows);
    EXPECT_EQ(Files(rows), (std::vector<std::string>{"b", "e", "d", "a", "c"}));

    // Cells that are numbers: by value, and ahead of every text.
    rows = {KeyRow("10", "", "", "a"), KeyRow("x", "", "", "b"), KeyRow("9", "", "", "c"),
            KeyRow(" 2 ", "", "", "d")};
    SortFileRows(rows);
    EXPECT_EQ(Files(rows), (std::vector<std::string>{"d", "c", "a", "b"}));
}

TEST(FileListSortTest, KeysInOrderAndEqualKeysKeepTheirOrder) {
    std::vector<FileListRow> rows = {
        KeyRow("阪神  ", "第1回 1日", "1R", "1"), KeyRow("京都  ", "第2回 1日", "1R", "2"),
        KeyRow("京都  ", "第1回 2日", "3R", "3"), KeyRow("京都  ", "第1回 2日", "3R", "4"),
        KeyRow("京都  ", "第1回 2日", "2R", "5"), KeyRow("京都  ", "第1回 2日", "3R", "6"),
    };
    SortFileRows(rows);
    // 京 (U+4EAC) sorts before 阪 (U+962A); within a key the incoming order stays.
    EXPECT_EQ(Files(rows), (std::vector<std::string>{"5", "3", "4", "6", "2", "1"}));

    NumberFileRows(rows, 4);
    EXPECT_EQ(rows[0].no, "1");
    EXPECT_EQ(rows[3].no, "4");
    EXPECT_EQ(rows[4].no, "");
}

class FileListFolderTest : public ::testing::Test {
protected:
    test::TempDir dir;
    MemorySettingsStore settings;
    RecordingMessageSink messages;

    void SetUp() override { SetPatFolder(settings, dir.path().string()); }

    void WriteRace(const std::string& name, const HeaderFields& fields) {
        dir.Write(name, HeaderBytes(fields));
    }
};

TEST_F(FileListFolderTest, ListsOnlyOddsFilesSortedAndNumbered) {
    HeaderFields race;
    race.raceNo = " 1";
    WriteRace("Zo-0001.jra", race);
    race.raceNo = "10";
    WriteRace("zo-0002.JRA", race); // names from Windows: any letter case
    race.raceNo = "11";
    WriteRace("ZO-0003.jra", race);
    race.raceNo = " 2";
    WriteRace("Zo-0004.jra", race);
    WriteRace("Uo-0001.jra", race);
    WriteRace("Zo-0005.txt", race);
    WriteRace("De-0001.jra", race);
    std::filesystem::create_directory(dir.path() / "Zo-folder.jra");

    FileList list;
    list.UpdateList(settings);
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_EQ(list.DataRowCount(), 4);
    EXPECT_EQ(list.ListedCount(), 4);
    EXPECT_EQ(Files(list.Rows()),
              (std::vector<std::string>{"zo-0002.JRA", "ZO-0003.jra", "Zo-0001.jra", "Zo-0004.jra"}));
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(list.Row(r).no, std::to_string(r));
    }
    EXPECT_EQ(list.Row(1).race, "10R");
    EXPECT_EQ(list.CurrentRow(), 0);
}

TEST_F(FileListFolderTest, EqualKeysKeepTheByteOrderOfTheirNames) {
    HeaderFields race;
    WriteRace("Zo-b.jra", race);
    WriteRace("Zo-a.jra", race);
    WriteRace("Zo-B.jra", race);
    EXPECT_EQ(Files(ListRaceFiles(dir.path().string()).rows),
              (std::vector<std::string>{"Zo-B.jra", "Zo-a.jra", "Zo-b.jra"}));
}

TEST_F(FileListFolderTest, SkipsEveryFileWhoseHeaderFailsNamesItAndListsTheRest) {
    struct Case {
        std::string bad; // bytes of the second and fourth of six files
        OddsFileFault fault;
    };
    HeaderFields wrongMarker;
    wrongMarker.marker = '4';
    const Case cases[] = {
        {HeaderBytes(wrongMarker), OddsFileFault::WrongFormat},
        {HeaderBytes(HeaderFields{}).substr(0, 141), OddsFileFault::Unreadable}, // cut short
        {"", OddsFileFault::Unreadable},                                         // empty
    };
    for (const auto& c : cases) {
        test::TempDir folder;
        HeaderFields race;
        for (int i = 1; i <= 6; ++i) {
            race.raceNo = std::to_string(10 - i);
            folder.Write("Zo-" + std::to_string(i) + ".jra", i == 2 || i == 4 ? c.bad : HeaderBytes(race));
        }
        FileList list;
        list.UpdateList(folder.path().string());
        EXPECT_EQ(list.ListedCount(), 4);
        EXPECT_EQ(Files(list.Rows()),
                  (std::vector<std::string>{"Zo-6.jra", "Zo-5.jra", "Zo-3.jra", "Zo-1.jra"}));
        EXPECT_EQ(list.Row(1).no, "1");
        EXPECT_EQ(list.Row(4).no, "4");
        EXPECT_EQ(list.Skipped(),
                  (std::vector<SkippedOddsFile>{{"Zo-2.jra", c.fault}, {"Zo-4.jra", c.fault}}));
        const std::string reason(OddsFileFaultCaption(c.fault));
        EXPECT_EQ(list.Note(), "除外 2件: Zo-2.jra (" + reason + ")、Zo-4.jra (" + reason + ")");
    }
    EXPECT_EQ(OddsFileFaultCaption(OddsFileFault::Unreadable), "単複ｵｯｽﾞﾌｧｲﾙが読めない");
    EXPECT_EQ(OddsFileFaultCaption(OddsFileFault::WrongFormat), "単複ｵｯｽﾞﾌｧｲﾙの形式が違う");
}

// Root reads any file, so the file is made unreadable for an unprivileged user.
TEST_F(FileListFolderTest, AFileThatMayNotBeReadIsSkippedAsUnreadable) {
    namespace fs = std::filesystem;
    fs::permissions(dir.path(), fs::perms(0755)); // the unprivileged user may list it
    HeaderFields race;
    for (int i = 1; i <= 3; ++i) {
        race.raceNo = std::to_string(i);
        WriteRace("Zo-" + std::to_string(i) + ".jra", race);
        fs::permissions(dir.path() / ("Zo-" + std::to_string(i) + ".jra"), fs::perms(0644));
    }
    fs::permissions(dir.path() / "Zo-2.jra", fs::perms::none);
    const std::string folder = dir.path().string();
    int found = test::RunUnprivileged([&folder] {
        RaceListing listing = ListRaceFiles(folder);
        bool listed = Files(listing.rows) == std::vector<std::string>{"Zo-1.jra", "Zo-3.jra"};
        bool named = listing.skipped == std::vector<SkippedOddsFile>{{"Zo-2.jra", OddsFileFault::Unreadable}};
        return (listed ? 1 : 0) + (named ? 2 : 0);
    });
    if (found < 0) {
        GTEST_SKIP() << "could not run as an unprivileged user to make a file unreadable";
    }
    EXPECT_EQ(found, 3);
}

TEST_F(FileListFolderTest, AFolderThatIsAFileMissingOrUnreadableIsSaidInsteadOfAnEmptyList) {
    namespace fs = std::filesystem;
    WriteRace("Zo-1.jra", HeaderFields{});
    const std::string file = (dir.path() / "Zo-1.jra").string();
    const std::string missing = (dir.path() / "none").string();
    FileList list;
    list.UpdateList(file + "/");
    EXPECT_EQ(list.Folder(), FolderState::NotAFolder);
    EXPECT_EQ(list.Note(), "PATフォルダの指定先はフォルダではありません。 " + file + "/");
    list.UpdateList(missing);
    EXPECT_EQ(list.Folder(), FolderState::Missing);
    EXPECT_EQ(list.Note(), "PATフォルダが見つかりません。 " + missing);
    EXPECT_EQ(list.ListedCount(), 0);
    list.UpdateList(dir.path().string());
    EXPECT_EQ(list.Folder(), FolderState::Ready);
    EXPECT_EQ(list.Note(), "");
    EXPECT_EQ(CheckFolder(file), FolderState::NotAFolder);
    EXPECT_EQ(CheckFolder(dir.path().string() + "/"), FolderState::Ready);

    fs::permissions(dir.path(), fs::perms(0755));
    const fs::path unlistable = dir.path() / "unlistable";
    const fs::path locked = dir.path() / "locked";
    fs::create_directories(unlistable);
    fs::create_directories(locked / "pat");
    fs::permissions(unlistable, fs::perms(0311));
    fs::permissions(locked, fs::perms::none);
    int found = test::RunUnprivileged([&] {
        int bits = 0;
        for (const fs::path& folder : {unlistable, locked / "pat"}) {
            RaceListing listing = ListRaceFiles(folder.string());
            bits = bits * 2 + (listing.folder == FolderState::Unreadable ? 1 : 0);
        }
        return bits;
    });
    fs::permissions(unlistable, fs::perms(0755));
    fs::permissions(locked, fs::perms(0755));
    if (found < 0) {
        GTEST_SKIP() << "could not run as an unprivileged user to make a folder unreadable";
    }
    EXPECT_EQ(found, 0b11);
    EXPECT_EQ(PatFolderProblemText(FolderState::Unreadable), "PATフォルダを読み込めません。");
}

TEST_F(FileListFolderTest, AFolderWithoutRacesKeepsTheRowCountWithEmptyCells) {
    FileList list;
    list.UpdateList(settings);
    EXPECT_EQ(list.DataRowCount(), FileList::kInitialDataRows);
    EXPECT_EQ(list.ListedCount(), 0);

    WriteRace("Zo-1.jra", HeaderFields{});
    WriteRace("Zo-2.jra", HeaderFields{});
    list.UpdateList(settings);
    EXPECT_EQ(list.DataRowCount(), 2);

    std::filesystem::remove(dir.path() / "Zo-1.jra");
    std::filesystem::remove(dir.path() / "Zo-2.jra");
    list.UpdateList(settings);
    EXPECT_EQ(list.DataRowCount(), 2);
    EXPECT_EQ(list.Row(1), FileListRow{});
    EXPECT_EQ(list.Row(2), FileListRow{});

    list.UpdateList((dir.path() / "missing").string());
    EXPECT_EQ(list.DataRowCount(), 2);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(FileListFolderTest, SelectRaceChecksTheRowAndGivesThePathInTheCurrentFolder) {
    HeaderFields race;
    WriteRace("Zo-16.jra", race);
    race.raceNo = "12";
    race.runners = " 7";
    WriteRace("Zo-7.jra", race);
    FileList list;
    list.UpdateList(settings);
    ASSERT_EQ(Files(list.Rows()), (std::vector<std::string>{"Zo-16.jra", "Zo-7.jra"}));

    const Message noRow{"行を選んでちょ", kAppTitle, MessageIcon::None};
    const Message tooFew{"７頭立て以下はサポートしてないよん。", kAppTitle, MessageIcon::None};
    EXPECT_EQ(list.SelectRace(settings, messages), std::nullopt);
    list.SetCurrentRow(2);
    EXPECT_EQ(list.SelectRace(settings, messages), std::nullopt);
    EXPECT_EQ(messages.messages, (std::vector<Message>{noRow, tooFew}));

    messages.messages.clear();
    list.SetCurrentRow(1);
    EXPECT_EQ(list.SelectRace(settings, messages), PatFilePath(settings, "Zo-16.jra"));
    // A changed PAT folder is used for the old row until the list is refreshed.
    SetPatFolder(settings, "/elsewhere");
    EXPECT_EQ(list.SelectRace(settings, messages), "/elsewhere/Zo-16.jra");
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(list.ListedCount(), 2);

    // Refreshing forgets the chosen row.
    SetPatFolder(settings, dir.path().string());
    list.UpdateList(settings);
    EXPECT_EQ(list.SelectRace(settings, messages), std::nullopt);
    EXPECT_EQ(messages.messages, (std::vector<Message>{noRow}));
    EXPECT_THROW(list.SetCurrentRow(3), std::out_of_range);
}

TEST(FileListTest, AnEmptyRowOfAFreshGridIsRefusedForItsRunnerCount) {
    MemorySettingsStore settings;
    RecordingMessageSink messages;
    FileList list;
    EXPECT_EQ(list.DataRowCount(), 49);
    list.SetCurrentRow(49);
    EXPECT_EQ(list.SelectRace(settings, messages), std::nullopt);
    ASSERT_EQ(messages.messages.size(), 1U);
    EXPECT_EQ(messages.messages[0].text, "７頭立て以下はサポートしてないよん。");
}

} // namespace
} // namespace velmora
