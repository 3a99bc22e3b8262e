#include "engine/anomalies.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace velmora {
namespace {

bool IsPositive(double value) {
    return std::isfinite(value) && value > 0.0;
}

// Inverse odds normalised to sum 1; dividing by the shortest odds first keeps
// every term at most 1, so no tiny odds overflow the sum. Zero where a runner
// has no win odds.
std::vector<double> WinChances(const RaceFigures& figures) {
    double shortest = 0.0;
    for (const RunnerFigures& runner : figures.runners) {
        if (HasWinOdds(runner) && (shortest == 0.0 || runner.winOdds < shortest)) {
            shortest = runner.winOdds;
        }
    }
    std::vector<double> chances(figures.runners.size(), 0.0);
    double sum = 0.0;
    for (std::size_t i = 0; i < chances.size(); ++i) {
        if (HasWinOdds(figures.runners[i])) {
            chances[i] = shortest / figures.runners[i].winOdds;
            sum += chances[i];
        }
    }
    for (double& chance : chances) {
        chance = sum > 0.0 ? chance / sum : 0.0;
    }
    return chances;
}

double QuinellaOdds(const RaceFigures& figures, int a, int b) {
    if (a < 1 || b > kMaxRunners) {
        return 0.0;
    }
    return figures.quinella[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
}

// Scales the field so that it sums to 1 over the listed pairs.
template <typename Field> void Normalise(std::vector<PairShare>& pairs, Field field) {
    double sum = 0.0;
    for (const PairShare& pair : pairs) {
        sum += pair.*field;
    }
    for (PairShare& pair : pairs) {
        pair.*field /= sum;
    }
}

bool HasPlaceOdds(const RunnerFigures& runner) {
    return IsPositive(runner.placeOdds);
}

} // namespace

double HarvilleOrder(double pa, double pb) {
    // A certain winner leaves no second place to share out.
    return pa < 1.0 ? pa * pb / (1.0 - pa) : 0.0;
}

std::vector<PairShare> ComputePairShares(const RaceFigures& figures) {
    const std::vector<double> chances = WinChances(figures);
    std::vector<PairShare> pairs;
    double shortest = 0.0;
    for (std::size_t i = 0; i < figures.runners.size(); ++i) {
        for (std::size_t j = i + 1; j < figures.runners.size(); ++j) {
            const RunnerFigures& a = figures.runners[i];
            const RunnerFigures& b = figures.runners[j];
            double odds = QuinellaOdds(figures, std::min(a.no, b.no), std::max(a.no, b.no));
            double model = HarvilleOrder(chances[i], chances[j]) + HarvilleOrder(chances[j], chances[i]);
            // A model share too small to divide by would give an endless ratio.
            if (!HasWinOdds(a) || !HasWinOdds(b) || !IsPositive(odds) ||
                !(model >= std::numeric_limits<double>::min())) {
                continue;
            }
            pairs.push_back({std::min(a.no, b.no), std::max(a.no, b.no), odds, 0.0, model, 0.0});
            shortest = shortest == 0.0 ? odds : std::min(shortest, odds);
        }
    }
    for (PairShare& pair : pairs) {
        pair.marketShare = shortest / pair.odds;
    }
    if (!pairs.empty()) {
        Normalise(pairs, &PairShare::marketShare);
        Normalise(pairs, &PairShare::modelShare);
    }
    for (PairShare& pair : pairs) {
        pair.ratio = pair.marketShare / pair.modelShare;
    }
    return pairs;
}

Anomalies ComputeAnomalies(const RaceFigures& figures, const AnomalyThresholds& thresholds) {
    Anomalies anomalies;
    for (const RunnerFigures& runner : figures.runners) {
        // Ranks of a runner without odds say nothing about the market.
        if (!HasWinOdds(runner) || !HasPlaceOdds(runner)) {
            continue;
        }
        if (std::abs(runner.winRank - runner.placeRank) >= thresholds.rankGap) {
            anomalies.rankGaps.push_back({runner.no, runner.winRank, runner.placeRank});
        }
    }
    for (const PairShare& pair : ComputePairShares(figures)) {
        if (pair.ratio >= thresholds.quinellaRatio) {
            anomalies.oversoldPairs.push_back(pair);
        }
    }
    return anomalies;
}

const PairShare* FindOversold(const Anomalies& anomalies, int a, int b) {
    for (const PairShare& pair : anomalies.oversoldPairs) {
        if ((pair.a == a && pair.b == b) || (pair.a == b && pair.b == a)) {
            return &pair;
        }
    }
    return nullptr;
}

bool IsOversold(const Anomalies& anomalies, int a, int b) {
    return FindOversold(anomalies, a, b) != nullptr;
}

bool HasRankGap(const Anomalies& anomalies, int no) {
    return std::any_of(anomalies.rankGaps.begin(), anomalies.rankGaps.end(),
                       [no](const RankGap& gap) { return gap.no == no; });
}

bool IsMarkedPair(const Anomalies& anomalies, int a, int b) {
    return IsOversold(anomalies, a, b) || HasRankGap(anomalies, a) || HasRankGap(anomalies, b);
}

} // namespace velmora
