#pragma once

#include "sheet/quinella_table.h"

#include <array>
#include <vector>

namespace velmora {

class RaceSheet;

// One runner's odds and popularity ranks, as numbers.
struct RunnerFigures {
    int no = 0; // horse number
    bool scratched = false;
    double winOdds = 0.0;   // 0 when the field is blank or not a number
    double placeOdds = 0.0; // the average of the place odds range, as the sheet shows it
    int winRank = 0;
    int placeRank = 0;
};

// Quinella odds of the pair i < j at [i][j]; 0 where the race has none.
using QuinellaOddsGrid = std::array<std::array<double, kMaxRunners + 1>, kMaxRunners + 1>;

// One version of a race's odds: what the movement table and the anomaly marks
// work from.
struct RaceFigures {
    std::vector<RunnerFigures> runners; // runner 1 first
    QuinellaOddsGrid quinella{};
};

// The figures of a computed sheet: ranks and average place odds read back from
// its texts, quinella odds from its table while it shows a race file. Empty
// when the sheet holds no computed figures (too few runners).
RaceFigures FiguresFromSheet(const RaceSheet& sheet);

// The quinella odds of the pairs of runners 1 ... runnerCount in a quinella odds table.
QuinellaOddsGrid QuinellaGridOf(const QuinellaRecord& record, int runnerCount);

// True when a runner has win odds to work with: not scratched, and positive,
// finite odds.
bool HasWinOdds(const RunnerFigures& runner);

} // namespace velmora
