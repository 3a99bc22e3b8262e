#pragma once

#include "engine/anomalies.h"
#include "engine/movement.h"
#include "engine/race_figures.h"
#include "history/history_store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

class RaceSheet;

// The three thresholds the odds-movement window marks by.
struct MovementThresholds {
    double moveFactor = 0.0;
    AnomalyThresholds anomalies;
};

// One state of the race the window can show: a readable win/place version of
// the history, or the sheet itself when the history holds none.
struct MovementVersion {
    std::int64_t seenMs = 0;     // 0 for the sheet's own figures
    std::int64_t modifiedMs = 0; // file time; 0 for the sheet's own figures
    std::string fileName;        // the odds file; empty for the sheet's own figures
    RaceFigures figures;
};

// A runner's row: how its support moved from the first version to the chosen
// one, and its win and place ranks where they lie far enough apart.
struct MovementRunner {
    int no = 0;
    std::string name; // from the sheet
    MovementRow move;
    std::optional<RankGap> rankGap;
};

// A recommended pair of the sheet and what marks it in the chosen version.
struct RecommendedPair {
    int a = 0;
    int b = 0;
    std::string text; // as the sheet lists it (" 3-12")
    double ratio = 0; // the pair's market to model share when oversold, else 0
    std::vector<int> rankGapRunners;
    std::string mark; // "売れすぎ 1.82", "ずれ 5番", both, or empty
};

struct SupportPoint {
    std::int64_t modifiedMs = 0;
    double support = 0.0;
};

// A runner's win support over every readable version, for the chart.
struct SupportSeries {
    int no = 0;
    std::vector<SupportPoint> points;
};

// The race on the sheet as the odds-movement window shows it, without a
// toolkit: the window only mirrors this. Built from the race's versions held
// in the history (none for a race never recorded, a sample race or a typed
// one) and the sheet now on screen.
class OddsMovement {
public:
    OddsMovement(const std::vector<OddsVersion>& held, const std::string& oddsFileName,
                 const RaceSheet& sheet, const MovementThresholds& thresholds);

    // True when the rows compare held versions; false when they show the sheet alone.
    bool HasHistory() const { return hasHistory_; }
    const std::vector<MovementVersion>& Versions() const { return versions_; }
    int ChosenVersion() const { return chosen_; }
    // Shows that version against the first; an index out of range is ignored.
    void ChooseVersion(int index);

    const std::vector<MovementRunner>& Runners() const { return runners_; }
    const std::vector<PairShare>& OversoldPairs() const { return anomalies_.oversoldPairs; }
    const std::vector<RecommendedPair>& RecommendedPairs() const { return pairs_; }
    // Empty with fewer than two versions: one point draws no line.
    const std::vector<SupportSeries>& Series() const { return series_; }
    const MovementThresholds& Thresholds() const { return thresholds_; }

private:
    void ReadVersions(const std::vector<OddsVersion>& held, const std::string& oddsFileName);
    void ReadRecommendedPairs(const RaceSheet& sheet);
    void BuildSeries();
    void MarkChosenVersion();

    MovementThresholds thresholds_;
    std::vector<std::string> names_; // by horse number - 1
    std::vector<MovementVersion> versions_;
    std::vector<RecommendedPair> pairs_;
    std::vector<SupportSeries> series_;
    std::vector<MovementRunner> runners_;
    Anomalies anomalies_;
    int chosen_ = -1;
    bool hasHistory_ = false;
};

// The versions the history holds of the race of an odds file; none when there
// is no store, no path or no such race. Only reads an open store, so looking
// never starts a history.
std::vector<OddsVersion> HeldVersionsOf(HistoryStore* store, const std::string& oddsPath);

} // namespace velmora
