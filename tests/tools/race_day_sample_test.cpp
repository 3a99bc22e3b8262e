// The checked-in race day: exactly what the fixture writer makes from its
// descriptions, and a plausible day to replay: several races spread from the
// morning into the afternoon, each with its versions before its post time.

#include "market_versions.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace velmora::patfixture {
namespace {

const std::filesystem::path kRaceDay = std::filesystem::path(VELMORA_SOURCE_DIR) / "samples" / "raceday";

std::vector<VersionPlan> Plans() {
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(kRaceDay / "descriptions")) {
        if (entry.path().extension() == ".txt") {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    std::vector<VersionPlan> plans;
    for (const auto& path : paths) {
        plans.push_back(ParseVersionPlan(test::ReadFileBytes(path)));
    }
    return plans;
}

int PostSecond(const Race& race) {
    int hhmm = std::stoi(race.postTime);
    return hhmm / 100 * 3600 + hhmm % 100 * 60;
}

TEST(RaceDaySample, IsExactlyWhatTheDescriptionsMake) {
    std::set<std::string> expected;
    std::uintmax_t bytes = 0;
    for (const FixtureFile& file : RaceDayFiles(Plans())) {
        expected.insert(file.name);
        EXPECT_EQ(test::ReadFileBytes(kRaceDay / file.name), file.bytes)
            << file.name << " differs from its description; run scripts/make-samples.sh";
    }
    std::set<std::string> present;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kRaceDay / "versions")) {
        if (entry.is_regular_file()) {
            present.insert(std::filesystem::relative(entry.path(), kRaceDay).generic_string());
            bytes += entry.file_size();
        }
    }
    EXPECT_EQ(present, expected) << "run scripts/make-samples.sh";
    EXPECT_LT(bytes, 600u * 1024) << "the race day stays small in the repository";
}

TEST(RaceDaySample, IsAMorningToAfternoonOfRacesWithTheirVersions) {
    std::vector<VersionPlan> plans = Plans();
    EXPECT_GE(plans.size(), 4u);
    EXPECT_LE(plans.size(), 6u);
    std::set<int> postSeconds;
    std::set<std::string> days;
    int finished = 0;
    for (const VersionPlan& plan : plans) {
        SCOPED_TRACE(OddsFileName(plan.race));
        days.insert(plan.race.date);
        postSeconds.insert(PostSecond(plan.race));
        EXPECT_GE(plan.count, 10);
        EXPECT_LE(plan.count, 30);
        EXPECT_LT(plan.lastSecond, PostSecond(plan.race)) << "odds close before the race";
        EXPECT_FALSE(plan.moves.empty()) << "money moves in every race";
        finished += plan.race.result.has_value();
        if (plan.race.result) {
            EXPECT_GT(plan.resultSecond, PostSecond(plan.race));
        }
    }
    EXPECT_EQ(days.size(), 1u) << "one race day";
    EXPECT_EQ(postSeconds.size(), plans.size());
    EXPECT_LT(*postSeconds.begin(), 11 * 3600);
    EXPECT_GT(*postSeconds.rbegin(), 15 * 3600);
    EXPECT_GE(finished, 1) << "a race already run shows its result";
    EXPECT_LT(finished, static_cast<int>(plans.size())) << "races still to run";
}

} // namespace
} // namespace velmora::patfixture
