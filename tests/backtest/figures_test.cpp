#include "backtest/figures.h"
#include "backtest/pair_judging.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

BacktestPair Pair(std::string text, bool refunded, std::int64_t quinella, std::int64_t wide) {
    BacktestPair pair;
    pair.pair = std::move(text);
    pair.refunded = refunded;
    pair.quinellaHit = quinella > 0;
    pair.quinellaReturn = quinella;
    pair.wideHit = wide > 0;
    pair.wideReturn = wide;
    return pair;
}

BacktestRace Race(std::string course, int runners, std::array<std::string, 4> grades,
                  std::vector<BacktestPair> pairs) {
    BacktestRace race;
    race.course = std::move(course);
    race.runnerCount = runners;
    race.grades = std::move(grades);
    race.pairs = std::move(pairs);
    return race;
}

// Two races worked by hand: one with a double hit, a wide hit and a refunded
// pair that would have hit, one without any hit.
Figures TwoRaces() {
    Figures figures;
    figures.Add(Race("東京", 9, {"C", "D", "B", "B"},
                     {Pair(" 1- 3", false, 1230, 450), Pair(" 2- 3", false, 0, 300),
                      Pair(" 3- 9", true, 5000, 900), Pair(" 4- 5", false, 0, 0)}));
    figures.Add(Race("中山", 16, {"A", "A", "A", "A"},
                     {Pair(" 1- 2", false, 0, 0), Pair(" 1- 3", false, 0, 0), Pair(" 1- 4", false, 0, 0),
                      Pair(" 1- 5", false, 0, 0)}));
    figures.AddSkipped(SkipReason::NoResultFile);
    figures.AddSkipped(SkipReason::NoResultFile);
    figures.AddSkipped(SkipReason::TooFewRunners);
    return figures;
}

TEST(BacktestFigures, TotalsLeaveRefundedPairsOut) {
    Figures figures = TwoRaces();
    const Tally& all = figures.all;
    EXPECT_EQ(all.races, 2);
    EXPECT_EQ(all.pairsBet, 7);
    EXPECT_EQ(all.pairsRefunded, 1);
    EXPECT_EQ(all.quinella.hits, 1);
    EXPECT_EQ(all.wide.hits, 2);
    EXPECT_EQ(all.quinella.racesHit, 1);
    EXPECT_EQ(all.wide.racesHit, 1);
    EXPECT_EQ(all.racesAnyHit, 1);
    EXPECT_EQ(all.quinella.stake, 700);
    EXPECT_EQ(all.wide.stake, 700);
    EXPECT_EQ(all.quinella.returned, 1230);
    EXPECT_EQ(all.wide.returned, 750);
    EXPECT_EQ(all.TotalStake(), 1400);
    EXPECT_EQ(all.TotalReturn(), 1980);
    EXPECT_DOUBLE_EQ(*ReturnRate(all.quinella), 1230.0 / 700.0);
    EXPECT_DOUBLE_EQ(*PairHitRate(all, all.wide), 2.0 / 7.0);
    EXPECT_DOUBLE_EQ(*RaceHitRate(all, all.quinella), 0.5);
}

TEST(BacktestFigures, BreakdownsGroupEachRaceOnce) {
    Figures figures = TwoRaces();
    ASSERT_EQ(figures.byWin1Grade.size(), 2U);
    EXPECT_EQ(figures.byWin1Grade.at("C").quinella.returned, 1230);
    EXPECT_EQ(figures.byWin1Grade.at("A").pairsBet, 4);
    EXPECT_EQ(figures.byGradePattern.at("CDBB").races, 1);
    EXPECT_EQ(figures.byGradePattern.at("AAAA").races, 1);
    EXPECT_EQ(figures.byCourse.at("東京").wide.returned, 750);
    EXPECT_EQ(figures.byCourse.at("中山").TotalReturn(), 0);
    EXPECT_EQ(figures.byRunnerBand[0].races, 1);
    EXPECT_EQ(figures.byRunnerBand[1].races, 0);
    EXPECT_EQ(figures.byRunnerBand[2].races, 1);
    EXPECT_EQ(figures.skipped[static_cast<std::size_t>(SkipReason::NoResultFile)], 2);
    EXPECT_EQ(figures.SkippedTotal(), 3);
}

TEST(BacktestFigures, RatesOfNothingAreUndefined) {
    Tally empty;
    EXPECT_FALSE(ReturnRate(empty.quinella).has_value());
    EXPECT_FALSE(PairHitRate(empty, empty.wide).has_value());
    // A race whose every pair is refunded is used, but stakes nothing.
    Tally refundedOnly;
    refundedOnly.Add(Race("東京", 8, {"D", "D", "D", "D"}, {Pair(" 1- 8", true, 0, 0)}));
    EXPECT_EQ(refundedOnly.races, 1);
    EXPECT_FALSE(ReturnRate(refundedOnly.wide).has_value());
}

TEST(BacktestFigures, RunnerBands) {
    struct Case {
        int runners;
        int band;
    };
    for (Case c : {Case{7, -1}, Case{8, 0}, Case{10, 0}, Case{11, 1}, Case{14, 1}, Case{15, 2}, Case{18, 2},
                   Case{19, -1}}) {
        EXPECT_EQ(RunnerBand(c.runners), c.band) << c.runners;
    }
}

TEST(BacktestJudging, KeyComparisonIsTheResultDisplays) {
    struct Case {
        const char* key;
        const char* pair;
        bool names;
    };
    for (Case c :
         {Case{"  3-12", " 3-12", true}, Case{"3-12  ", " 3-12", true}, Case{"03-12 ", " 3-12", false},
          Case{"12-3  ", " 3-12", false}, Case{"3- 5  ", " 3- 5", true}, Case{" 3-5  ", " 3- 5", false},
          Case{"      ", "     ", false}, Case{"10-12 ", "10-12", true}}) {
        EXPECT_EQ(KeyNamesPair(c.key, c.pair), c.names) << '"' << c.key << "\" vs \"" << c.pair << '"';
    }
}

TEST(BacktestJudging, PayoffTexts) {
    struct Case {
        const char* text;
        std::int64_t yen;
    };
    for (Case c : {Case{"    1230", 1230}, Case{"   1,230", 1230}, Case{"        ", 0}, Case{"  abc   ", 0},
                   Case{"  150.0 ", 150}, Case{"12 345  ", 12345}}) {
        EXPECT_EQ(PayoffYen(c.text), c.yen) << c.text;
    }
}

TEST(BacktestJudging, PoolsAreJudgedOnTheirOwnAndDeadHeatsAdd) {
    std::vector<BacktestPayoff> quinella{{"1- 3", 1230}, {"1- 5", 2400}};
    std::vector<BacktestPayoff> wide{{"1- 3", 450}, {"1- 5", 800}, {"3- 5", 700}, {"1- 3", 460}};

    BacktestPair both;
    both.pair = " 1- 3";
    JudgePair(both, quinella, wide);
    EXPECT_TRUE(both.quinellaHit);
    EXPECT_TRUE(both.wideHit);
    EXPECT_EQ(both.quinellaReturn, 1230);
    EXPECT_EQ(both.wideReturn, 910);

    BacktestPair wideOnly;
    wideOnly.pair = " 3- 5";
    JudgePair(wideOnly, quinella, wide);
    EXPECT_FALSE(wideOnly.quinellaHit);
    EXPECT_EQ(wideOnly.quinellaReturn, 0);
    EXPECT_TRUE(wideOnly.wideHit);
    EXPECT_EQ(wideOnly.wideReturn, 700);

    BacktestPair miss;
    miss.pair = " 2- 4";
    miss.quinellaHit = true; // stale flags are overwritten
    miss.wideReturn = 99;
    JudgePair(miss, quinella, wide);
    EXPECT_FALSE(miss.quinellaHit);
    EXPECT_FALSE(miss.wideHit);
    EXPECT_EQ(miss.wideReturn, 0);
}

} // namespace
} // namespace velmora
