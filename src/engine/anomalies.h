#pragma once

#include "engine/race_figures.h"

#include <vector>

namespace velmora {

struct AnomalyThresholds {
    int rankGap = 0;            // 単複人気のずれ: least difference of win and place rank
    double quinellaRatio = 0.0; // 馬連の売れすぎ: least ratio of market to model share
};

// A runner whose win and place popularity disagree.
struct RankGap {
    int no = 0;
    int winRank = 0;
    int placeRank = 0;
};

// One quinella pair: the market's share of it against the share the win odds
// imply. Both shares are normalised over the same pairs, so each sums to 1.
struct PairShare {
    int a = 0; // smaller horse number
    int b = 0;
    double odds = 0.0;
    double marketShare = 0.0;
    double modelShare = 0.0;
    double ratio = 0.0; // marketShare / modelShare
};

struct Anomalies {
    std::vector<RankGap> rankGaps;        // by horse number
    std::vector<PairShare> oversoldPairs; // by pair
};

// Harville's chance that a finishes first and b second, from win chances.
double HarvilleOrder(double pa, double pb);

// Every pair of two runners with win odds and positive quinella odds, with both
// shares; empty when fewer than two such runners or no such pair.
std::vector<PairShare> ComputePairShares(const RaceFigures& figures);

// The anomaly marks of one version of the odds.
Anomalies ComputeAnomalies(const RaceFigures& figures, const AnomalyThresholds& thresholds);

// The pair (in either order) among the oversold pairs, or null.
const PairShare* FindOversold(const Anomalies& anomalies, int a, int b);
// True when the pair (in either order) is among the oversold pairs.
bool IsOversold(const Anomalies& anomalies, int a, int b);
// True when the runner's win and place popularity disagree.
bool HasRankGap(const Anomalies& anomalies, int no);
// A pair carries a mark when it is oversold or either runner's popularity
// disagrees.
bool IsMarkedPair(const Anomalies& anomalies, int a, int b);

} // namespace velmora
