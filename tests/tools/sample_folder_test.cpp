// The checked-in sample PAT folder: exactly what the fixture writer makes from
// the checked-in descriptions, readable by every reader, and covering the
// situations it is there to show.

#include "pat_fixture.h"

#include "common/conversions.h"
#include "common/messages.h"
#include "common/text.h"
#include "patdata/entry_file.h"
#include "patdata/file_naming.h"
#include "patdata/quinella_odds.h"
#include "patdata/win_place_odds.h"
#include "results/result_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace velmora::patfixture {
namespace {

const std::filesystem::path kSamples = std::filesystem::path(VELMORA_SOURCE_DIR) / "samples";

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

struct Sample {
    std::string description; // file name, for messages
    Race race;
};

std::vector<Sample> Samples() {
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(kSamples / "descriptions")) {
        if (entry.path().extension() == ".txt") {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    std::vector<Sample> samples;
    for (const auto& path : paths) {
        samples.push_back({path.filename().string(), ParseRaceDescription(ReadBytes(path))});
    }
    return samples;
}

std::string PairText(int i, int j) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%2d-%2d", i, j);
    return buffer;
}

std::string Trimmed(const std::string& text) {
    return std::string(TrimSpaces(text));
}

// Odds text as yen per 100 staked, or a payoff text as yen.
long Yen(const std::string& odds) {
    return std::lround(NumericValue(odds) * 100);
}
long Amount(const std::string& payoff) {
    return std::lround(NumericValue(payoff));
}

TEST(SampleFolder, IsExactlyWhatTheDescriptionsMake) {
    std::set<std::string> expected;
    for (const Sample& sample : Samples()) {
        for (const FixtureFile& file : BuildRaceFiles(sample.race)) {
            expected.insert(file.name);
            EXPECT_EQ(ReadBytes(kSamples / "pat" / file.name), file.bytes)
                << file.name << " differs from " << sample.description << "; run scripts/make-samples.sh";
        }
    }
    std::set<std::string> present;
    for (const auto& entry : std::filesystem::directory_iterator(kSamples / "pat")) {
        present.insert(entry.path().filename().string());
    }
    EXPECT_EQ(present, expected) << "run scripts/make-samples.sh";
}

TEST(SampleFolder, ShowsWhatItIsMeantTo) {
    std::vector<Sample> samples = Samples();
    std::set<std::string> courses;
    std::set<std::pair<std::string, int>> days;
    std::map<std::pair<std::string, int>, std::set<int>> racesOfDay;
    int scratched = 0, withoutEntry = 0, withoutQuinella = 0, withoutResult = 0, sevenRunners = 0;
    for (const Sample& sample : samples) {
        const Race& race = sample.race;
        courses.insert(race.courseName);
        days.insert({race.courseName, race.meetingDay});
        racesOfDay[{race.date, race.meetingDay}].insert(race.raceNo);
        int n = static_cast<int>(race.runners.size());
        EXPECT_TRUE(n == 7 || (n >= 8 && n <= 18)) << sample.description;
        sevenRunners += n == 7;
        scratched += std::any_of(race.runners.begin(), race.runners.end(),
                                 [](const Runner& r) { return r.winOdds == kScratched; });
        withoutEntry += !race.withEntryFile;
        withoutQuinella += !race.withQuinellaFile;
        withoutResult += !race.result;
        EXPECT_TRUE(race.withOddsFile) << sample.description;
        for (const Runner& runner : race.runners) {
            EXPECT_FALSE(runner.horseName.empty()) << sample.description;
            EXPECT_LE(CodePointCount(runner.horseName), 9u) << runner.horseName;
        }
    }
    EXPECT_GE(samples.size(), 12u);
    EXPECT_GE(courses.size(), 2u);
    EXPECT_GE(days.size(), 2u);
    bool fullDay = std::any_of(racesOfDay.begin(), racesOfDay.end(), [](const auto& day) {
        return day.second == std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    });
    EXPECT_TRUE(fullDay) << "one day runs races 1 to 12";
    EXPECT_GE(scratched, 1);
    EXPECT_GE(withoutEntry, 1);
    EXPECT_GE(withoutQuinella, 1);
    EXPECT_GE(withoutResult, 1);
    EXPECT_GE(sevenRunners, 1);
}

// Every file of every sample race goes through its reader, and what comes back is
// the description: odds, names, and payoffs that agree with the odds.
TEST(SampleFolder, EveryRaceReadsBackThroughEveryReader) {
    for (const Sample& sample : Samples()) {
        SCOPED_TRACE(sample.description);
        const Race& race = sample.race;
        std::string oddsPath = (kSamples / "pat" / OddsFileName(race)).string();
        int n = static_cast<int>(race.runners.size());

        RecordingMessageSink messages;
        RaceHeader header;
        EXPECT_TRUE(ReadRaceFileHeader(oddsPath, header, messages));
        RaceRecord odds;
        ASSERT_TRUE(ReadWinPlaceOdds(oddsPath, odds, messages));
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_EQ(Trimmed(odds.Header.CourseName), race.courseName);
        EXPECT_EQ(NumericValue(odds.Header.RaceNo), race.raceNo);
        EXPECT_EQ(NumericValue(odds.Header.RunnerCount), n);
        for (int i = 1; i <= n; ++i) {
            EXPECT_EQ(Trimmed(odds.Runners[static_cast<std::size_t>(i)].WinOdds),
                      race.runners[static_cast<std::size_t>(i - 1)].winOdds);
        }

        EntryRecord entry;
        EXPECT_EQ(ReadEntryFile(GetEntryFileName(oddsPath), entry), race.withEntryFile);
        if (race.withEntryFile) {
            for (int i = 1; i <= n; ++i) {
                EXPECT_EQ(Trimmed(entry.Runners[static_cast<std::size_t>(i)].HorseName),
                          race.runners[static_cast<std::size_t>(i - 1)].horseName);
            }
        }

        QuinellaRecord quinella;
        EXPECT_EQ(ReadQuinellaOdds(GetQuinellaFileName(oddsPath), quinella, messages), race.withQuinellaFile);
        EXPECT_TRUE(messages.messages.empty());

        std::string resultPath = velmora::ResultFileName(oddsPath);
        EXPECT_EQ(!resultPath.empty(), race.result.has_value());
        if (resultPath.empty()) {
            continue;
        }
        ResultRecord result;
        ASSERT_TRUE(ReadResultFile(resultPath, result));
        auto cellOf = [&](const std::string& key) {
            int i = std::stoi(key.substr(0, key.find('-')));
            int j = std::stoi(key.substr(key.find('-') + 1));
            EXPECT_EQ(Trimmed(key), Trimmed(PairText(i, j))) << "key must compare equal to a pair text";
            return DerivedPairCell(race, i, j);
        };
        const PayoffEntry& win = result.WinPayoffs[1];
        EXPECT_EQ(Amount(win.Payoff),
                  Yen(race.runners[static_cast<std::size_t>(NumericValue(win.Key) - 1)].winOdds));
        const PayoffEntry& pair = result.QuinellaPayoffs[1];
        EXPECT_EQ(Amount(pair.Payoff), Yen(cellOf(pair.Key).quinella));
        int wides = 0;
        for (const PayoffEntry& wide : result.WidePayoffs) {
            if (Trimmed(wide.Key).empty()) {
                continue;
            }
            ++wides;
            PairCell cell = cellOf(wide.Key);
            EXPECT_GE(Amount(wide.Payoff), Yen(cell.wideMin)) << wide.Key;
            EXPECT_LE(Amount(wide.Payoff), Yen(cell.wideMax)) << wide.Key;
        }
        EXPECT_EQ(wides, n > 7 ? 3 : 1);
    }
}

// Descriptions of broken files reach the readers as broken files.
TEST(PatFixtureReaders, InconsistentCountsAndMarkersFail) {
    struct Case {
        const char* what;
        void (*spoil)(Race&);
        bool odds, quinella, entry;
        std::size_t messages;
    };
    const Case cases[] = {
        {"consistent", [](Race&) {}, true, true, true, 0},
        {"count above the entries", [](Race& r) { r.runnerCount = "17"; }, false, false, true, 0},
        {"nineteen runners", [](Race& r) { r.runnerCount = "19"; }, false, false, true, 0},
        {"no count", [](Race& r) { r.runnerCount = " "; }, true, true, true, 0},
        {"unknown marker", [](Race& r) { r.formatMarker = "4"; }, false, false, true, 2},
        {"space marker", [](Race& r) { r.formatMarker = " "; }, true, true, true, 0},
        {"entry count above the entries", [](Race& r) { r.entryRunnerCount = "17"; }, true, true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Race race;
        race.runners = RunnersWithOdds(std::vector<std::string>(16, "20.0"));
        c.spoil(race);
        test::TempDir dir;
        WriteRaceFiles(race, dir.path());
        std::string oddsPath = (dir.path() / OddsFileName(race)).string();
        RecordingMessageSink messages;
        RaceRecord odds;
        QuinellaRecord quinella;
        EntryRecord entry;
        EXPECT_EQ(ReadWinPlaceOdds(oddsPath, odds, messages), c.odds);
        EXPECT_EQ(ReadQuinellaOdds(GetQuinellaFileName(oddsPath), quinella, messages), c.quinella);
        EXPECT_EQ(ReadEntryFile(GetEntryFileName(oddsPath), entry), c.entry);
        EXPECT_EQ(messages.messages.size(), c.messages);
    }
}

} // namespace
} // namespace velmora::patfixture
