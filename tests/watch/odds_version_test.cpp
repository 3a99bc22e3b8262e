#include "support/watched_race.h"
#include "watch/odds_version.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using patfixture::Race;

VersionFingerprint WinPlaceVersion(const Race& race) {
    RecordingMessageSink messages;
    auto parsed = ParseOddsFile(OddsFileKind::WinPlace, patfixture::WinPlaceOddsBytes(race), messages);
    EXPECT_TRUE(parsed.has_value());
    return parsed ? parsed->version : VersionFingerprint{};
}

VersionFingerprint QuinellaVersion(const Race& race) {
    RecordingMessageSink messages;
    auto parsed = ParseOddsFile(OddsFileKind::Quinella, patfixture::QuinellaOddsBytes(race), messages);
    EXPECT_TRUE(parsed.has_value());
    return parsed ? parsed->version : VersionFingerprint{};
}

TEST(ChangedRunners, NamesExactlyTheRunnersWhoseWinOrPlaceOddsMoved) {
    Race race = test::WatchedRace();
    const VersionFingerprint before = WinPlaceVersion(race);
    race.runners[2].winOdds = "6.9";       // runner 3
    race.runners[9].placeOddsMax = "2.0";  // runner 10
    race.runners[11].placeOddsMin = "1.2"; // runner 12
    EXPECT_EQ(ChangedRunners(before, WinPlaceVersion(race)), (std::vector<int>{3, 10, 12}));
    EXPECT_TRUE(ChangedRunners(before, before).empty());
}

TEST(ChangedRunners, ARunnerInOneVersionOnlyCountsAsMoved) {
    Race race = test::WatchedRace();
    const VersionFingerprint twelve = WinPlaceVersion(race);
    race.runners.push_back(race.runners.back());
    const VersionFingerprint thirteen = WinPlaceVersion(race);
    EXPECT_EQ(ChangedRunners(twelve, thirteen), (std::vector<int>{13}));
    EXPECT_EQ(ChangedRunners(thirteen, twelve), (std::vector<int>{13}));
}

TEST(ChangedPairs, NamesThePairsWhoseQuinellaOddsMovedAndTheirRunners) {
    Race race = test::WatchedRace();
    const VersionFingerprint before = QuinellaVersion(race);
    race.pairs[{2, 5}].quinella = "8.8";
    race.pairs[{11, 12}].quinella = "150.2";
    race.pairs[{1, 3}].wideMax = "5.0"; // wide odds alone are not quinella odds
    const auto pairs = ChangedPairs(before, QuinellaVersion(race));
    EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{2, 5}, {11, 12}}));
    EXPECT_EQ(RunnersOfPairs(pairs), (std::vector<int>{2, 5, 11, 12}));
}

TEST(ParseOddsFile, AFileCaughtInTheMiddleOfAWriteIsNoVersion) {
    const Race race = test::WatchedRace();
    const std::string winPlace = patfixture::WinPlaceOddsBytes(race);
    const std::string quinella = patfixture::QuinellaOddsBytes(race);
    RecordingMessageSink messages;
    EXPECT_FALSE(ParseOddsFile(OddsFileKind::WinPlace, winPlace.substr(0, winPlace.size() - 1), messages));
    EXPECT_FALSE(ParseOddsFile(OddsFileKind::Quinella, quinella.substr(0, 200), messages));
    EXPECT_FALSE(ParseOddsFile(OddsFileKind::WinPlace, "", messages));
    EXPECT_TRUE(messages.messages.empty());

    std::string wrongMarker = winPlace;
    wrongMarker[43] = '\0'; // a file still full of zeros where the header goes
    EXPECT_FALSE(ParseOddsFile(OddsFileKind::WinPlace, wrongMarker, messages));
    EXPECT_EQ(messages.messages.size(), 1U);
}

TEST(ParseOddsFile, TellsVersionsApartByEveryByte) {
    Race race = test::WatchedRace();
    RecordingMessageSink messages;
    const std::string first = patfixture::WinPlaceOddsBytes(race);
    race.raceName = "別のレース"; // no odds moved, but a new version all the same
    const std::string second = patfixture::WinPlaceOddsBytes(race);
    auto a = ParseOddsFile(OddsFileKind::WinPlace, first, messages);
    auto b = ParseOddsFile(OddsFileKind::WinPlace, second, messages);
    auto again = ParseOddsFile(OddsFileKind::WinPlace, first, messages);
    ASSERT_TRUE(a && b && again);
    EXPECT_NE(a->version.contentHash, b->version.contentHash);
    EXPECT_EQ(a->version.contentHash, again->version.contentHash);
    EXPECT_TRUE(ChangedRunners(a->version, b->version).empty());
}

} // namespace
} // namespace velmora
