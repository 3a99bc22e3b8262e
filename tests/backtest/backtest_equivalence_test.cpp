// The back-test reads the PAT files its own, faster way; these tests hold it
// to what the shared readers and a user's clicks give on the same files.
#include "backtest/backtest.h"
#include "backtest/backtest_files.h"
#include "backtest/backtest_fixtures.h"
#include "common/cp932.h"
#include "common/messages.h"
#include "common/random.h"
#include "common/text.h"
#include "patdata/file_naming.h"
#include "patdata/quinella_odds.h"
#include "patdata/race_loader.h"
#include "patdata/win_place_odds.h"
#include "results/result_display.h"
#include "results/result_file.h"
#include "shell/race_sheet.h"
#include "shell/services.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> HeaderFields(const RaceHeader& h) {
    return {h.Field1,  h.Field2,    h.Field3,     h.Field4,     h.Field5,  h.CourseName,
            h.Field7,  h.MeetingNo, h.MeetingDay, h.RaceNo,     h.Field11, h.FormatMarker,
            h.Field13, h.RaceName,  h.Conditions, h.RunnerCount};
}

std::vector<std::string> RecordFields(const RaceRecord& record) {
    std::vector<std::string> fields = HeaderFields(record.Header);
    for (const RunnerOdds& r : record.Runners) {
        fields.insert(fields.end(), {r.Field1, r.Field2, r.WinOdds, r.PlaceOddsMin, r.PlaceOddsMax});
    }
    return fields;
}

// A folder with the skipped races of the fixture and some awkward usable ones.
void WriteEquivalenceFolder(const fs::path& folder) {
    test::WriteBacktestFolder(folder);

    patfixture::Race noQuinella = test::PlainRace(8, 11);
    noQuinella.fileId = "NOQUINELLA.jra";
    noQuinella.withQuinellaFile = false;
    patfixture::WriteRaceFiles(noQuinella, folder);

    patfixture::Race fewerCells = test::PlainRace(9, 14);
    fewerCells.fileId = "FEWERCELLS.jra";
    fewerCells.courseName = "阪神";
    patfixture::WriteRaceFiles(fewerCells, folder);
    patfixture::Race twelve = fewerCells;
    twelve.runners.resize(12);
    for (const patfixture::FixtureFile& file : patfixture::BuildRaceFiles(twelve)) {
        if (file.name.rfind("Uo-", 0) == 0) {
            std::ofstream(folder / file.name, std::ios::binary | std::ios::trunc) << file.bytes;
        }
    }

    patfixture::Race full = test::PlainRace(10, 18);
    full.fileId = "FULL.jra";
    full.courseName = "小倉";
    full.raceName = "ＧⅠ　ﾃｽﾄ･ｽﾃｰｸｽ";
    full.runners[4].winOdds = std::string(patfixture::kScratched);
    full.result->order = {18, 1, 9};
    patfixture::WriteRaceFiles(full, folder);
}

TEST(BacktestEquivalence, FieldDecodingMatchesTheSharedDecoder) {
    BacktestFileReader reader;
    std::vector<std::string> samples{"  12.5",
                                     "\x93\x8c\x8b\x9e",
                                     "\xc4\xd8\xb9\xbc",
                                     "\x81",
                                     "a\x81",
                                     "\xff\xfe",
                                     "\x82\xa0\x82",
                                     "\\~",
                                     std::string("\0x", 2),
                                     "\x87\x40\xed\x40\xfa\x40"};
    for (int byte = 0; byte < 256; ++byte) {
        samples.emplace_back(1, static_cast<char>(byte));
        samples.push_back(std::string(1, static_cast<char>(byte)) + "A ");
    }
    for (const std::string& bytes : samples) {
        EXPECT_EQ(reader.DecodeField(bytes), DecodeCp932Field(bytes)) << testing::PrintToString(bytes);
    }
}

TEST(BacktestEquivalence, FilesReadAsTheSharedReadersReadThem) {
    test::TempDir dir;
    WriteEquivalenceFolder(dir.path());
    // Awkward odds files: too many runners, none, a file ending inside an entry.
    patfixture::Race nineteen = test::PlainRace(1, 18);
    nineteen.runnerCount = "19";
    nineteen.fileId = "NINETEEN.jra";
    patfixture::WriteRaceFiles(nineteen, dir.path());
    patfixture::Race none = test::PlainRace(1, 8);
    none.runnerCount = "  ";
    none.fileId = "NONE.jra";
    patfixture::WriteRaceFiles(none, dir.path());
    patfixture::Race cut = test::PlainRace(1, 12);
    cut.fileId = "CUT.jra";
    std::vector<fs::path> written = patfixture::WriteRaceFiles(cut, dir.path());
    fs::resize_file(written[0], 142 + 18 * 12 - 1);
    fs::resize_file(written[1], fs::file_size(written[1]) - 1);

    BacktestFileReader reader;
    RecordingMessageSink messages;
    int odds = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path())) {
        std::string path = entry.path().string();
        std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        if (name.rfind("Zo-", 0) == 0) {
            ++odds;
            RaceRecord shared;
            RaceRecord own;
            bool sharedRead = ReadWinPlaceOdds(path, shared, messages);
            BacktestFileReader::OddsStatus status = reader.ReadWinPlaceOdds(path, own);
            EXPECT_EQ(status == BacktestFileReader::OddsStatus::Read, sharedRead);
            EXPECT_EQ(status == BacktestFileReader::OddsStatus::WrongFormat, name == "Zo-WRONGFORMAT.jra");
            if (sharedRead) {
                EXPECT_EQ(RecordFields(own), RecordFields(shared));
            }
            RaceHeader sharedHeader;
            RaceHeader ownHeader;
            bool headerRead = ReadRaceFileHeader(path, sharedHeader, messages);
            EXPECT_EQ(reader.ReadRaceFileHeader(path, ownHeader) == BacktestFileReader::OddsStatus::Read,
                      headerRead);
            if (headerRead) {
                EXPECT_EQ(HeaderFields(ownHeader), HeaderFields(sharedHeader));
            }
        } else if (name.rfind("Uo-", 0) == 0) {
            QuinellaRecord shared;
            bool sharedRead = ReadQuinellaOdds(path, shared, messages);
            ASSERT_EQ(reader.LoadQuinellaOdds(path), sharedRead);
            for (int a = 1; sharedRead && a <= kMaxRunners; ++a) {
                for (int b = a + 1; b <= kMaxRunners; ++b) {
                    const PairOdds& expected =
                        shared.Cells[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
                    PairOdds cell = reader.QuinellaCell(a, b);
                    EXPECT_EQ(cell.QuinellaOdds, expected.QuinellaOdds) << a << '-' << b;
                    EXPECT_EQ(cell.WideOddsMin, expected.WideOddsMin) << a << '-' << b;
                    EXPECT_EQ(cell.WideOddsMax, expected.WideOddsMax) << a << '-' << b;
                }
            }
        } else if (name.rfind("Ks-", 0) == 0) {
            ResultRecord shared;
            bool sharedRead = ReadResultFile(path, shared);
            std::vector<BacktestPayoff> quinella;
            std::vector<BacktestPayoff> wide;
            ASSERT_EQ(reader.ReadPayoffs(path, quinella, wide), sharedRead);
            std::vector<std::string> sharedKeys;
            std::vector<std::string> ownKeys;
            for (const PayoffEntry& payoff : shared.WidePayoffs) {
                if (!TrimSpaces(payoff.Key).empty()) {
                    sharedKeys.emplace_back(TrimSpaces(payoff.Key));
                }
            }
            for (const BacktestPayoff& payoff : wide) {
                ownKeys.push_back(payoff.key);
            }
            if (sharedRead) {
                EXPECT_EQ(ownKeys, sharedKeys);
                ASSERT_FALSE(quinella.empty());
                EXPECT_EQ(quinella[0].key, std::string(TrimSpaces(shared.QuinellaPayoffs[1].Key)));
            }
        }
    }
    EXPECT_GE(odds, 14);
}

// Every used race gives what a user gets by choosing it in the browser and
// pressing "結果表示": the grades, the pairs with their odds lines, and a
// "◎" where the pair paid as a quinella, else "○" where it paid as a wide.
TEST(BacktestEquivalence, RacesComeOutAsTheyDoByHand) {
    test::TempDir dir;
    WriteEquivalenceFolder(dir.path());
    BacktestReport report = CollectBacktest(dir.path().string());
    ASSERT_EQ(report.races.size(), 5U);

    MemorySettingsStore settings;
    RecordingMessageSink messages;
    StandardRandomSource random;
    SystemClock clock;
    RemarkList remarks;
    Services services{settings, messages, random, clock, remarks};
    for (const BacktestRace& race : report.races) {
        SCOPED_TRACE(race.fileName);
        RaceSheet sheet(settings);
        UpdateFormFromSelection(sheet, services, (dir.path() / race.fileName).string());
        EXPECT_EQ(race.hasQuinellaOdds, !sheet.sOddsFileName.empty());
        cmdResult_Click(sheet, services);

        EXPECT_EQ(race.meetingLine, sheet.Kaisai());
        EXPECT_EQ(race.raceLine, sheet.RaceName());
        EXPECT_EQ(race.runnerCount, sheet.GetRunnerCount());
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(race.grades[static_cast<std::size_t>(k)], sheet.Rank(k + 1));
        }
        const std::vector<std::string>& lines = sheet.Items(SheetList::Result);
        ASSERT_EQ(race.pairs.size(), lines.size());
        for (std::size_t k = 0; k < lines.size(); ++k) {
            const BacktestPair& pair = race.pairs[k];
            ASSERT_EQ(lines[k].rfind(pair.pair, 0), 0U);
            if (race.hasQuinellaOdds) {
                EXPECT_EQ(pair.quinellaOdds, sheet.Items(SheetList::ResultUmaOdds).at(k));
                EXPECT_EQ(pair.wideOdds, sheet.Items(SheetList::ResultWideOdds).at(k));
                std::string mark = lines[k].substr(pair.pair.size());
                std::string expected = pair.quinellaHit ? kQuinellaHitMark : pair.wideHit ? kWideHitMark : "";
                EXPECT_EQ(mark, expected) << pair.pair;
            } else {
                EXPECT_TRUE(pair.quinellaOdds.empty());
                EXPECT_TRUE(sheet.Items(SheetList::ResultUmaOdds).empty());
            }
        }
    }
}

} // namespace
} // namespace velmora
