#pragma once

#include "backtest/backtest_record.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace velmora {

// Stake of one bet in yen; payoffs are quoted per this stake.
inline constexpr std::int64_t kStakeYen = 100;

// Counts of one bet type (quinella or wide) over a set of races.
struct BetTally {
    std::int64_t hits = 0;     // pairs that paid
    std::int64_t racesHit = 0; // races with at least one paying pair
    std::int64_t stake = 0;    // yen
    std::int64_t returned = 0; // yen
};

// Counts over a set of races: all of them, or one group of a breakdown.
struct Tally {
    std::int64_t races = 0;
    std::int64_t pairsBet = 0; // pairs not refunded; each is bet once per type
    std::int64_t pairsRefunded = 0;
    std::int64_t racesAnyHit = 0; // races with a quinella or a wide hit
    BetTally quinella;
    BetTally wide;

    void Add(const BacktestRace& race);

    std::int64_t TotalStake() const { return quinella.stake + wide.stake; }
    std::int64_t TotalReturn() const { return quinella.returned + wide.returned; }
};

// Ratios; nothing when the divisor is zero.
std::optional<double> Ratio(std::int64_t numerator, std::int64_t denominator);
inline std::optional<double> PairHitRate(const Tally& tally, const BetTally& bet) {
    return Ratio(bet.hits, tally.pairsBet);
}
inline std::optional<double> RaceHitRate(const Tally& tally, const BetTally& bet) {
    return Ratio(bet.racesHit, tally.races);
}
inline std::optional<double> ReturnRate(const BetTally& bet) {
    return Ratio(bet.returned, bet.stake);
}

// Runner-count bands of the breakdown.
inline constexpr int kRunnerBandCount = 3;
// "8-10", "11-14" or "15-18"; the band index of a count, or -1 outside 8 ... 18.
std::string_view RunnerBandLabel(int band);
int RunnerBand(int runnerCount);

// "上昇", "下降", "変化なし" or "履歴なし".
std::string_view Win1MovementLabel(Win1Movement movement);

// Groups by whether any recommended pair of a race carried an anomaly mark.
inline constexpr int kPairMarkGroupCount = 2;
// "あり" (group 0) or "なし" (group 1).
std::string_view PairMarkGroupLabel(int group);
inline int PairMarkGroup(const BacktestRace& race) {
    return race.AnyPairMarked() ? 0 : 1;
}

// Every figure of a back-test, built race by race.
struct Figures {
    Tally all;
    std::map<std::string, Tally> byWin1Grade;
    std::map<std::string, Tally> byGradePattern;
    std::map<std::string, Tally> byCourse;
    std::array<Tally, kRunnerBandCount> byRunnerBand{};
    std::array<Tally, kWin1MovementCount> byWin1Movement{}; // indexed by Win1Movement
    std::array<Tally, kPairMarkGroupCount> byPairMark{};
    std::array<std::int64_t, kSkipReasonCount> skipped{};

    void Add(const BacktestRace& race);
    void AddSkipped(SkipReason reason);
    std::int64_t SkippedTotal() const;
};

} // namespace velmora
