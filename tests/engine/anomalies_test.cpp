#include "engine/anomalies.h"

#include "engine/calculation.h"
#include "engine/engine_harness.h"
#include "engine/worked_pat_race.h"
#include "race/race_figures_of.h"
#include "race/race_loader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

namespace velmora {
namespace {

using PairKey = std::pair<int, int>;

// A race of runners 1, 2, ... with these win odds, ranks left at 0.
RaceFigures WithWinOdds(const std::vector<double>& odds) {
    RaceFigures figures;
    for (std::size_t i = 0; i < odds.size(); ++i) {
        RunnerFigures runner;
        runner.no = static_cast<int>(i) + 1;
        runner.winOdds = odds[i];
        runner.placeOdds = 1.5;
        figures.runners.push_back(runner);
    }
    return figures;
}

void SetQuinella(RaceFigures& figures, const std::map<PairKey, double>& odds) {
    for (const auto& [pair, value] : odds) {
        figures.quinella[static_cast<std::size_t>(pair.first)][static_cast<std::size_t>(pair.second)] = value;
    }
}

std::map<PairKey, PairShare> ByPair(const std::vector<PairShare>& shares) {
    std::map<PairKey, PairShare> byPair;
    for (const PairShare& share : shares) {
        byPair[{share.a, share.b}] = share;
    }
    return byPair;
}

// Win odds 3, 4, 6 and 12 are win chances 0.4, 0.3, 0.2 and 0.1. By hand:
// 1-2: 0.4·0.3/0.6 + 0.3·0.4/0.7 = 0.2 + 0.1714286 = 0.3714286
// 3-4: 0.2·0.1/0.8 + 0.1·0.2/0.9 = 0.025 + 0.0222222 = 0.0472222
// Quinella odds 2.5, 4, 8, 6, 12, 10 are inverse odds summing to 1.125, so
// 3-4 holds 0.1 / 1.125 = 0.0888889 of the market: 1.882353 times its model share.
RaceFigures FourRunnerRace() {
    RaceFigures figures = WithWinOdds({3, 4, 6, 12});
    SetQuinella(figures, {{{1, 2}, 2.5}, {{1, 3}, 4}, {{1, 4}, 8}, {{2, 3}, 6}, {{2, 4}, 12}, {{3, 4}, 10}});
    return figures;
}

TEST(PairShares, HarvilleByHandForFourRunners) {
    std::map<PairKey, PairShare> shares = ByPair(ComputePairShares(FourRunnerRace()));
    ASSERT_EQ(shares.size(), 6U);
    EXPECT_NEAR((shares[{1, 2}].modelShare), 0.3714286, 1e-7);
    EXPECT_NEAR((shares[{1, 3}].modelShare), 0.2333333, 1e-7);
    EXPECT_NEAR((shares[{3, 4}].modelShare), 0.0472222, 1e-7);
    EXPECT_NEAR((shares[{3, 4}].marketShare), 0.0888889, 1e-7);
    EXPECT_NEAR((shares[{3, 4}].ratio), 1.882353, 1e-6);
    EXPECT_NEAR((shares[{1, 4}].ratio), 1.0, 1e-9);
    EXPECT_EQ((shares[{3, 4}].odds), 10.0);
}

TEST(PairShares, OnlyPairsWithOddsOnBothSidesShareTheMarketAndTheModel) {
    RaceFigures figures = FourRunnerRace();
    figures.quinella[1][2] = 0.0; // no odds for the pair
    figures.runners[3].scratched = true;
    std::map<PairKey, PairShare> shares = ByPair(ComputePairShares(figures));
    // Left: 1-3, 2-3, with chances 0.4, 0.3, 0.2 renormalised to 4/9, 3/9, 2/9.
    ASSERT_EQ(shares.size(), 2U);
    EXPECT_NEAR((shares[{1, 3}].marketShare) + (shares[{2, 3}].marketShare), 1.0, 1e-12);
    EXPECT_NEAR((shares[{1, 3}].modelShare) + (shares[{2, 3}].modelShare), 1.0, 1e-12);
    // 1-3: 4/9·2/9/(5/9) + 2/9·4/9/(7/9) = 8/45 + 8/63; 2-3: 6/54 + 6/63.
    double model13 = 8.0 / 45 + 8.0 / 63;
    double model23 = 6.0 / 54 + 6.0 / 63;
    EXPECT_NEAR((shares[{1, 3}].modelShare), model13 / (model13 + model23), 1e-12);
}

TEST(PairShares, BlankZeroAndNegativeOddsLeaveNoPairAndNoNaN) {
    RaceFigures blankWin = FourRunnerRace();
    blankWin.runners[0].winOdds = 0.0;
    blankWin.runners[1].winOdds = -2.0;
    blankWin.runners[2].winOdds = std::nan("");
    EXPECT_TRUE(ComputePairShares(blankWin).empty()); // one runner with odds is no pair

    RaceFigures noQuinella = WithWinOdds({3, 4, 6, 12});
    EXPECT_TRUE(ComputePairShares(noQuinella).empty());
    EXPECT_TRUE(ComputeAnomalies(noQuinella, {3, 1.5}).oversoldPairs.empty());

    EXPECT_TRUE(ComputePairShares(RaceFigures{}).empty());

    // Odds at the ends of the range still give finite shares.
    RaceFigures extreme = WithWinOdds({1e-300, 1e300, 5});
    SetQuinella(extreme, {{{1, 2}, 1e-300}, {{1, 3}, 1e300}, {{2, 3}, 7}});
    for (const PairShare& share : ComputePairShares(extreme)) {
        EXPECT_TRUE(std::isfinite(share.marketShare) && std::isfinite(share.modelShare) &&
                    std::isfinite(share.ratio));
    }
}

TEST(PairShares, EachSideSumsToOneOverGeneratedRaces) {
    std::mt19937 generator(20261207);
    std::uniform_real_distribution<double> oddsOf(1.0, 300.0);
    std::uniform_int_distribution<int> fieldSize(2, 18);
    std::bernoulli_distribution missing(0.15);
    for (int round = 0; round < 500; ++round) {
        std::vector<double> win(static_cast<std::size_t>(fieldSize(generator)));
        for (double& odds : win) {
            odds = missing(generator) ? 0.0 : oddsOf(generator);
        }
        RaceFigures figures = WithWinOdds(win);
        for (RunnerFigures& runner : figures.runners) {
            runner.scratched = missing(generator);
        }
        for (std::size_t i = 1; i <= win.size(); ++i) {
            for (std::size_t j = i + 1; j <= win.size(); ++j) {
                figures.quinella[i][j] = missing(generator) ? 0.0 : oddsOf(generator) * 10;
            }
        }
        std::vector<PairShare> shares = ComputePairShares(figures);
        if (shares.empty()) {
            continue;
        }
        double market = 0.0;
        double model = 0.0;
        for (const PairShare& share : shares) {
            ASSERT_TRUE(share.marketShare > 0 && share.modelShare > 0 && std::isfinite(share.ratio));
            market += share.marketShare;
            model += share.modelShare;
        }
        ASSERT_NEAR(market, 1.0, 1e-9) << "round " << round;
        ASSERT_NEAR(model, 1.0, 1e-9) << "round " << round;
    }
}

TEST(Anomalies, PairsAtOrAboveTheRatioAreOversold) {
    Anomalies anomalies = ComputeAnomalies(FourRunnerRace(), {3, 1.5});
    ASSERT_EQ(anomalies.oversoldPairs.size(), 1U);
    EXPECT_EQ(anomalies.oversoldPairs[0].a, 3);
    EXPECT_EQ(anomalies.oversoldPairs[0].b, 4);
    EXPECT_TRUE(IsOversold(anomalies, 4, 3));
    EXPECT_FALSE(IsOversold(anomalies, 1, 2));
    // 1-4 sits at exactly 1: a ratio of 1 marks it.
    EXPECT_TRUE(IsOversold(ComputeAnomalies(FourRunnerRace(), {3, 1.0}), 1, 4));
    EXPECT_TRUE(ComputeAnomalies(FourRunnerRace(), {3, 1.9}).oversoldPairs.empty());
}

TEST(Anomalies, RankGapsOfRunnersWithOddsOnly) {
    RaceFigures figures = WithWinOdds({2, 3, 4, 5, 6, 0, 8});
    const std::vector<std::pair<int, int>> ranks = {{1, 1}, {2, 5}, {3, 2}, {4, 7}, {5, 4}, {6, 3}, {7, 6}};
    for (std::size_t i = 0; i < ranks.size(); ++i) {
        figures.runners[i].winRank = ranks[i].first;
        figures.runners[i].placeRank = ranks[i].second;
    }
    figures.runners[6].scratched = true;

    Anomalies anomalies = ComputeAnomalies(figures, {3, 1.5});
    // Runner 6 has blank win odds and runner 7 is scratched: their ranks say nothing.
    ASSERT_EQ(anomalies.rankGaps.size(), 2U);
    EXPECT_EQ(anomalies.rankGaps[0].no, 2);
    EXPECT_EQ(anomalies.rankGaps[0].placeRank, 5);
    EXPECT_EQ(anomalies.rankGaps[1].no, 4);
    EXPECT_EQ(ComputeAnomalies(figures, {4, 1.5}).rankGaps.size(), 0U);
    EXPECT_EQ(ComputeAnomalies(figures, {1, 1.5}).rankGaps.size(), 4U);

    figures.runners[1].placeOdds = 0.0; // blank place odds rank first
    EXPECT_EQ(ComputeAnomalies(figures, {3, 1.5}).rankGaps.size(), 1U);
}

TEST(RaceFigures, ComeFromTheComputedSheetAndItsQuinellaTable) {
    test::EngineHarness h;
    std::vector<test::OddsRow> rows = test::WorkedRace();
    rows.push_back({"ﾄﾘｹｼ", "", ""});
    h.TypeRace(rows);
    ASSERT_TRUE(ComputeRunnerFigures(h.sheet, h.messages));
    h.sheet.tUmaOdds.Cells[1][2].QuinellaOdds = "  12.3";

    RaceFigures typed = FiguresFromSheet(h.sheet);
    ASSERT_EQ(typed.runners.size(), 9U);
    EXPECT_EQ(typed.runners[2].winRank, 1);
    EXPECT_EQ(typed.runners[0].placeOdds, 1.85);
    EXPECT_EQ(typed.runners[0].placeRank, 3);
    EXPECT_TRUE(typed.runners[8].scratched);
    EXPECT_FALSE(typed.runners[7].scratched);
    EXPECT_EQ(typed.quinella[1][2], 0.0); // typed by hand: the table is no race's

    h.sheet.sOddsFileName = "/pat/Zo-05050211.jra";
    EXPECT_EQ(FiguresFromSheet(h.sheet).quinella[1][2], 12.3);

    std::vector<test::OddsRow> sevenLeft(9, {"5", "2", "3"});
    sevenLeft[0] = sevenLeft[1] = {"ﾄﾘｹｼ", "", ""};
    h.TypeRace(sevenLeft);
    EXPECT_FALSE(ComputeRunnerFigures(h.sheet, h.messages));
    EXPECT_TRUE(FiguresFromSheet(h.sheet).runners.empty());
}

TEST(RaceFigures, OfARaceRecordMatchTheLoadedSheet) {
    patfixture::Race fixture = test::WorkedPatRace();
    RaceRecord race;
    race.Header.RunnerCount = " 8";
    for (std::size_t i = 0; i < fixture.runners.size(); ++i) {
        race.Runners[i + 1].WinOdds = fixture.runners[i].winOdds;
        race.Runners[i + 1].PlaceOddsMin = fixture.runners[i].placeOddsMin;
        race.Runners[i + 1].PlaceOddsMax = fixture.runners[i].placeOddsMax;
    }
    QuinellaRecord quinella;
    quinella.Cells[3][5].QuinellaOdds = "  35.0";

    RaceFigures figures = FiguresOfRace(race, &quinella);
    test::EngineHarness h;
    h.TypeRace(test::WorkedRace());
    ASSERT_TRUE(ComputeRunnerFigures(h.sheet, h.messages));
    RaceFigures typed = FiguresFromSheet(h.sheet);
    ASSERT_EQ(figures.runners.size(), typed.runners.size());
    for (std::size_t i = 0; i < typed.runners.size(); ++i) {
        EXPECT_EQ(figures.runners[i].winRank, typed.runners[i].winRank);
        EXPECT_EQ(figures.runners[i].placeRank, typed.runners[i].placeRank);
        EXPECT_EQ(figures.runners[i].placeOdds, typed.runners[i].placeOdds);
    }
    EXPECT_EQ(figures.quinella[3][5], 35.0);
    EXPECT_EQ(FiguresOfRace(race, nullptr).quinella[3][5], 0.0);

    race.Header.RunnerCount = " 7";
    EXPECT_TRUE(FiguresOfRace(race, &quinella).runners.empty());
}

} // namespace
} // namespace velmora
