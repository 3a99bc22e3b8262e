#include "race/race_loader.h"

#include "common/text.h"
#include "engine/calculation.h"
#include "engine/worked_pat_race.h"
#include "patdata/file_naming.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace velmora {
namespace {

using Texts = std::vector<std::string>;

const Message kReadFailed{kReadFailedMessage, kReadFailedCaption, MessageIcon::Critical};
const Message kTooSmall{kTooSmallRaceMessage, kAppTitle, MessageIcon::None};
const Message kWrongFormat{"ファイル形式が違います。", kAppTitle, MessageIcon::None};

RaceRecord TenRunnerRecord() {
    RaceRecord race;
    race.Header.CourseName = "東京  ";
    race.Header.MeetingNo = "05";
    race.Header.MeetingDay = " 2";
    race.Header.RaceNo = "11";
    race.Header.RaceName = PadToWidth("天皇賞", 28);
    race.Header.RunnerCount = "10";
    for (std::size_t i = 1; i <= 12; ++i) { // two entries behind the count
        race.Runners[i] = {"1", "01", "  " + std::to_string(i) + ".5", "  1.1", "  2.2"};
    }
    race.Runners[4].WinOdds = " ﾄﾘｹｼ";
    return race;
}

class RaceLoaderTest : public ::testing::Test {
protected:
    // Puts the worked race's files into the folder and returns the odds file's path.
    std::string WriteRace(const patfixture::Race& race) {
        patfixture::WriteRaceFiles(race, dir.path());
        return (dir.path() / patfixture::OddsFileName(race)).string();
    }
    // A sheet that must survive a refused load untouched.
    void FillSheetByHand() {
        h.TypeRace(test::WorkedRace());
        h.sheet.SetKaisai("before");
        h.sheet.SetText(Column::HorseName, 1, "Old Name");
        h.sheet.sOddsFileName = "/earlier/Zo-1.jra";
    }
    void ExpectSheetByHand() {
        EXPECT_EQ(h.sheet.Kaisai(), "before");
        EXPECT_EQ(h.sheet.HorseNumText(), "8");
        EXPECT_EQ(h.sheet.Text(Column::TanOdds, 3), "2.2");
        EXPECT_EQ(h.sheet.Text(Column::HorseName, 1), "Old Name");
        EXPECT_EQ(h.sheet.sOddsFileName, "/earlier/Zo-1.jra");
    }

    test::TempDir dir;
    test::EngineHarness h;
};

TEST_F(RaceLoaderTest, FillCopiesTitleLinesUntrimmedAndOddsTrimmed) {
    FillSheetByHand();
    ASSERT_TRUE(FillSheetFromRace(h.sheet, TenRunnerRecord(), h.messages));
    EXPECT_EQ(h.sheet.Kaisai(), "東京   第05回  2日");
    EXPECT_EQ(h.sheet.RaceName(), "11R 天皇賞" + std::string(25, ' '));
    EXPECT_EQ(h.sheet.HorseNumText(), "10");
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 1), "1.5");
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 4), "ﾄﾘｹｼ");
    EXPECT_TRUE(h.sheet.IsScratched(4));
    EXPECT_EQ(h.sheet.Text(Column::FukuOddsMin, 10), "1.1");
    EXPECT_EQ(h.sheet.Text(Column::FukuOddsMax, 10), "2.2");
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 11), "");
    EXPECT_FALSE(h.sheet.IsEnabled(Column::TanOdds, 11));
    // The fill starts from a cleared sheet and computes nothing.
    EXPECT_EQ(h.sheet.Text(Column::HorseName, 1), "");
    EXPECT_EQ(h.sheet.sOddsFileName, "");
    EXPECT_EQ(h.sheet.Text(Column::TanPopular, 1), "");
    EXPECT_TRUE(h.messages.messages.empty());
}

TEST_F(RaceLoaderTest, FillTakesTheRoundedRunnerCountAndRefusesWhatTheListCannotShow) {
    struct Case {
        std::string count;
        bool filled;
        std::string shown;
        std::vector<Message> messages;
    };
    const std::vector<Case> cases = {
        {" 8", true, "8", {}},
        {"8.", true, "8", {}},
        {"8.4", true, "8", {}},
        {"18.5", true, "18", {}},
        {" 7", false, "16", {kTooSmall}},
        {"7.9", false, "16", {kTooSmall}},
        {"  ", false, "16", {kTooSmall}},
        {"19", false, "16", {kReadFailed}},
    };
    for (const auto& c : cases) {
        test::EngineHarness harness;
        harness.sheet.SetKaisai("before");
        RaceRecord race = TenRunnerRecord();
        race.Header.RunnerCount = c.count;
        EXPECT_EQ(FillSheetFromRace(harness.sheet, race, harness.messages), c.filled) << c.count;
        EXPECT_EQ(harness.sheet.HorseNumText(), c.shown) << c.count;
        EXPECT_EQ(harness.messages.messages, c.messages) << c.count;
        // A refused race leaves the sheet cleared.
        EXPECT_EQ(harness.sheet.Kaisai().empty(), !c.filled) << c.count;
    }
}

TEST_F(RaceLoaderTest, HorseNamesComeUntrimmedFromTheEntriesTheFileHolds) {
    EntryRecord entries;
    entries.Header.RunnerCount = "12";
    for (std::size_t i = 1; i <= 14; ++i) {
        entries.Runners[i].HorseName = PadToWidth("ウマ" + std::to_string(i), 18);
    }
    for (int i = 1; i <= 14; ++i) {
        h.sheet.SetText(Column::HorseName, i, "old");
    }
    SetHorseNames(h.sheet, entries);
    EXPECT_EQ(h.sheet.Text(Column::HorseName, 1), "ウマ1" + std::string(15, ' '));
    EXPECT_EQ(h.sheet.Text(Column::HorseName, 12), "ウマ12" + std::string(14, ' '));
    EXPECT_EQ(h.sheet.Text(Column::HorseName, 13), "old");

    // A count beyond the rows is held to the 18 rows.
    entries.Header.RunnerCount = "99";
    SetHorseNames(h.sheet, entries);
    EXPECT_EQ(h.sheet.Text(Column::HorseName, 13), "ウマ13" + std::string(14, ' '));
}

TEST_F(RaceLoaderTest, WithoutAnEntryFileEveryNameIsEmptied) {
    h.sheet.SetText(Column::HorseName, 3, "old");
    LoadEntryNames(h.sheet, (dir.path() / "Zo-none.jra").string());
    EXPECT_EQ(h.sheet.Text(Column::HorseName, 3), "");
}

TEST_F(RaceLoaderTest, OpeningARaceFillsNamesRemembersTheFileAndComputesWithItsOdds) {
    const std::string path = WriteRace(test::WorkedPatRace());
    FillSheetByHand();
    OpenOddsFile(h.sheet, h.services, path);

    EXPECT_TRUE(h.messages.messages.empty());
    EXPECT_EQ(h.sheet.Kaisai(), "東京   第 5回  2日");
    EXPECT_EQ(h.sheet.RaceName(), "11R ジャパンカップ" + std::string(21, ' '));
    EXPECT_EQ(h.sheet.HorseNumText(), "8");
    EXPECT_EQ(h.sheet.Text(Column::HorseName, 1), "ウマ１" + std::string(15, ' '));
    EXPECT_EQ(h.sheet.Text(Column::HorseName, 8), "ウマ８" + std::string(15, ' '));
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 8), "100");
    EXPECT_EQ(h.sheet.sOddsFileName, path);
    EXPECT_EQ(h.Grades(), (Texts{"C", "D", "B", "B"}));
    EXPECT_EQ(h.sheet.Items(SheetList::Result),
              (Texts{" 1- 3", " 2- 3", " 3- 4", " 3- 5", " 1- 2", " 2- 4", " 2- 5", " 3- 7", " 1- 5"}));
    EXPECT_EQ(
        h.sheet.Items(SheetList::ResultUmaOdds),
        (Texts{"  13.0", "  23.0", "  34.0", "  35.0", "  12.0", "  24.0", "  25.0", "  37.0", "  15.0"}));
    ASSERT_EQ(h.sheet.Items(SheetList::ResultWideOdds).size(), 9U);
    EXPECT_EQ(h.sheet.Items(SheetList::ResultWideOdds)[0], "    13～  13.5");
    EXPECT_EQ(h.sheet.Items(SheetList::ResultWideOdds)[8], "    15～  15.5");
    EXPECT_EQ(h.sheet.StatusText(), "second remark");
}

TEST_F(RaceLoaderTest, TheBrowserPathLoadsTheSameWay) {
    const std::string path = WriteRace(test::WorkedPatRace());
    UpdateFormFromSelection(h.sheet, h.services, path);
    EXPECT_TRUE(h.messages.messages.empty());
    EXPECT_EQ(h.sheet.sOddsFileName, path);
    EXPECT_EQ(h.sheet.Items(SheetList::ResultUmaOdds).size(), 9u);
}

TEST_F(RaceLoaderTest, WithoutEntryAndQuinellaFilesTheRaceIsComputedBareAndForgotten) {
    patfixture::Race race = test::WorkedPatRace();
    race.withEntryFile = false;
    race.withQuinellaFile = false;
    const std::string path = WriteRace(race);
    FillSheetByHand();
    OpenOddsFile(h.sheet, h.services, path);

    EXPECT_TRUE(h.messages.messages.empty());
    EXPECT_EQ(h.sheet.Text(Column::HorseName, 1), "");
    EXPECT_EQ(h.sheet.Items(SheetList::Result).size(), 9u);
    EXPECT_TRUE(h.sheet.Items(SheetList::ResultUmaOdds).empty());
    EXPECT_EQ(h.sheet.sOddsFileName, "");
}

TEST_F(RaceLoaderTest, AnEntryFileOfFewerRunnersNamesOnlyThose) {
    patfixture::Race race = test::WorkedPatRace();
    race.entryRunnerCount = "6";
    OpenOddsFile(h.sheet, h.services, WriteRace(race));
    EXPECT_EQ(h.sheet.Text(Column::HorseName, 6), "ウマ６" + std::string(15, ' '));
    EXPECT_EQ(h.sheet.Text(Column::HorseName, 7), "");
}

TEST_F(RaceLoaderTest, ACancelledDialogChangesNothing) {
    FillSheetByHand();
    OpenOddsFile(h.sheet, h.services, "");
    EXPECT_TRUE(h.messages.messages.empty());
    ExpectSheetByHand();
}

TEST_F(RaceLoaderTest, AFileThatCannotBeReadLeavesTheSheetAsItWas) {
    FillSheetByHand();
    OpenOddsFile(h.sheet, h.services, (dir.path() / "Zo-missing.jra").string());
    EXPECT_EQ(h.messages.messages, (std::vector<Message>{kReadFailed}));
    ExpectSheetByHand();

    h.messages.messages.clear();
    UpdateFormFromSelection(h.sheet, h.services, (dir.path() / "Zo-missing.jra").string());
    EXPECT_EQ(h.messages.messages, (std::vector<Message>{kReadFailed}));
    ExpectSheetByHand();
}

TEST_F(RaceLoaderTest, AWrongFormatIsReportedTwiceAndChangesNothing) {
    patfixture::Race race = test::WorkedPatRace();
    race.formatMarker = "4";
    const std::string path = WriteRace(race);
    FillSheetByHand();
    OpenOddsFile(h.sheet, h.services, path);
    EXPECT_EQ(h.messages.messages, (std::vector<Message>{kWrongFormat, kReadFailed}));
    ExpectSheetByHand();
}

TEST_F(RaceLoaderTest, SevenRunnersAreRefusedByTheDialogUntouchedAndByTheBrowserCleared) {
    patfixture::Race race = test::WorkedPatRace();
    race.runners.pop_back();
    race.pairs.clear();
    const std::string path = WriteRace(race);

    FillSheetByHand();
    OpenOddsFile(h.sheet, h.services, path);
    EXPECT_EQ(h.messages.messages, (std::vector<Message>{kTooSmall}));
    ExpectSheetByHand();

    h.messages.messages.clear();
    UpdateFormFromSelection(h.sheet, h.services, path);
    EXPECT_EQ(h.messages.messages, (std::vector<Message>{kTooSmall}));
    EXPECT_EQ(h.sheet.Kaisai(), "");
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 1), "");
    EXPECT_EQ(h.sheet.sOddsFileName, "");
    EXPECT_EQ(h.sheet.Items(SheetList::Result), Texts{});
}

TEST_F(RaceLoaderTest, EightRunnersWithOneScratchedLoadButAreNotComputed) {
    patfixture::Race race = test::WorkedPatRace();
    race.runners[5] = {std::string(patfixture::kScratched), "", "", "", ""};
    race.pairs.clear();
    const std::string path = WriteRace(race);
    OpenOddsFile(h.sheet, h.services, path);
    EXPECT_EQ(h.messages.messages,
              (std::vector<Message>{{kTooFewRunnersMessage, kAppTitle, MessageIcon::None}}));
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 6), "ﾄﾘｹｼ");
    EXPECT_EQ(h.sheet.Text(Column::TanPopular, 1), "");
    // The race file stays remembered: the calculation stopped before reading the quinella odds.
    EXPECT_EQ(h.sheet.sOddsFileName, path);
}

TEST_F(RaceLoaderTest, ARaceFileWithoutOddsForARunnerIsLoadedAndRefusedByBothPaths) {
    patfixture::Race race = test::WorkedPatRace();
    race.runners[1] = {"0.0", "1.2", "1.6", {}, {}};
    race.runners[6].placeOddsMax = " "; // blank in the file
    const std::string path = WriteRace(race);
    const Message refused{
        "2番の単ｵｯｽﾞ、7番の複ｵｯｽﾞMaxが正しくありません。取消の馬は ﾄﾘｹｼ と入力してください。", kAppTitle,
        MessageIcon::None};
    for (bool browser : {false, true}) {
        h.messages.messages.clear();
        browser ? UpdateFormFromSelection(h.sheet, h.services, path)
                : OpenOddsFile(h.sheet, h.services, path);
        EXPECT_EQ(h.messages.messages, (std::vector<Message>{refused})) << browser;
        EXPECT_EQ(h.sheet.Text(Column::TanOdds, 2), "0.0");
        EXPECT_TRUE(h.sheet.IsMarked(Column::TanOdds, 2));
        EXPECT_TRUE(h.sheet.IsMarked(Column::FukuOddsMax, 7));
        EXPECT_EQ(h.sheet.Text(Column::TanPopular, 1), "");
        EXPECT_EQ(h.sheet.Items(SheetList::Result), Texts{});
    }
}

// Everything the sheet shows after a load, for comparing two loads.
std::vector<std::string> Shown(const RaceSheet& sheet) {
    std::vector<std::string> shown = {sheet.Kaisai(), sheet.RaceName(), sheet.HorseNumText(),
                                      sheet.sOddsFileName, sheet.StatusText()};
    for (int row = 1; row <= kMaxRunners; ++row) {
        for (int column = 0; column < kColumnCount; ++column) {
            shown.push_back(sheet.Text(static_cast<Column>(column), row));
        }
    }
    for (int list = 0; list < kListCount; ++list) {
        const auto& items = sheet.Items(static_cast<SheetList>(list));
        shown.insert(shown.end(), items.begin(), items.end());
    }
    return shown;
}

TEST_F(RaceLoaderTest, LoadingFromBytesReadOnceShowsWhatLoadingFromDiskShows) {
    patfixture::Race race = test::WorkedPatRace();
    const std::string path = WriteRace(race);
    RaceOddsBytes bytes{patfixture::WinPlaceOddsBytes(race), patfixture::QuinellaOddsBytes(race)};
    const auto loadBoth = [&](const RaceOddsBytes& given) {
        test::EngineHarness disk;
        test::EngineHarness read;
        UpdateFormFromSelection(disk.sheet, disk.services, path);
        UpdateFormFromBytes(read.sheet, read.services, path, given);
        EXPECT_EQ(Shown(read.sheet), Shown(disk.sheet));
        EXPECT_EQ(read.messages.messages, disk.messages.messages);
        return Shown(read.sheet);
    };
    EXPECT_EQ(loadBoth(bytes)[3], path);

    // Without its quinella file the race is computed bare and forgotten either way.
    std::filesystem::remove(GetQuinellaFileName(path));
    bytes.quinella.reset();
    EXPECT_EQ(loadBoth(bytes)[3], "");
    // Without its odds file it is a failed read either way.
    std::filesystem::remove(path);
    bytes.winPlace.reset();
    loadBoth(bytes);
    // The open command's refusal of a short race leaves the sheet as it was.
    race.runners.resize(7);
    FillSheetByHand();
    OpenOddsFileFromBytes(h.sheet, h.services, path, {patfixture::WinPlaceOddsBytes(race), std::nullopt});
    EXPECT_EQ(h.messages.messages, (std::vector<Message>{kTooSmall}));
    ExpectSheetByHand();
}

} // namespace
} // namespace velmora
