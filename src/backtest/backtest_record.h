#pragma once

#include "sheet/quinella_table.h" // kWideOddsSeparator, which the wide odds texts hold

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// One recommended pair of a back-tested race, with what betting it would have
// done: 100 yen as a quinella and 100 yen as a wide.
struct BacktestPair {
    std::string pair;                // the pair text as listed, e.g. " 3-12"
    int first = 0;                   // smaller runner number
    int second = 0;                  // larger runner number
    std::string quinellaOdds;        // the quinella odds text as shown; empty without odds
    std::string wideOdds;            // the wide odds text "min～max" as shown; empty without odds
    bool refunded = false;           // a scratched runner: both bets are void
    bool quinellaHit = false;        // some quinella payoff key names this pair
    bool wideHit = false;            // some wide payoff key names this pair
    std::int64_t quinellaReturn = 0; // yen returned per 100 yen, all matching entries summed
    std::int64_t wideReturn = 0;
    bool anomalyMark = false; // the pair is oversold, or one of its runners' win and place ranks disagree
};

// A paying entry of the result, key trimmed, amount in yen per 100 yen.
struct BacktestPayoff {
    std::string key;
    std::int64_t amount = 0;
};

// How the win-1 runner's win support moved between the first and the last
// recorded version of the race's odds.
enum class Win1Movement { Rose, Fell, Unchanged, NoHistory };
inline constexpr int kWin1MovementCount = 4;

// One race that could be back-tested.
struct BacktestRace {
    std::string fileName;    // the win/place odds file, without folder
    std::string course;      // course name, trimmed
    std::string meetingLine; // the sheet's meeting line as loaded
    std::string raceLine;    // the sheet's race line as loaded
    int runnerCount = 0;
    std::array<std::string, 4> grades; // win-1, win-2, place-1, place-2
    bool hasQuinellaOdds = false;
    std::vector<BacktestPair> pairs;
    std::vector<BacktestPayoff> quinellaPayoffs;
    std::vector<BacktestPayoff> widePayoffs;
    Win1Movement win1Movement = Win1Movement::NoHistory;

    std::string GradePattern() const { return grades[0] + grades[1] + grades[2] + grades[3]; }
    bool AnyPairMarked() const {
        for (const BacktestPair& pair : pairs) {
            if (pair.anomalyMark) {
                return true;
            }
        }
        return false;
    }
};

// Why a race of the folder could not be used.
enum class SkipReason {
    UnreadableOddsFile,
    WrongFormatOddsFile,
    TooFewRunners,
    TooFewActiveRunners,
    NoResultFile,
    UnreadableResultFile,
    InvalidOdds,
};
inline constexpr int kSkipReasonCount = 7;

struct SkippedRace {
    std::string fileName;
    SkipReason reason = SkipReason::UnreadableOddsFile;
    // Which runners' odds, for InvalidOdds ("3番の単ｵｯｽﾞ"); else empty.
    std::string detail = {};
};

// Stable machine name ("no_result_file") and a short readable description.
std::string_view SkipReasonKey(SkipReason reason);
std::string_view SkipReasonText(SkipReason reason);

// Receives the races of a back-test one at a time, in the listing's order, so
// that a caller can stream them out without keeping them.
class BacktestVisitor {
public:
    virtual ~BacktestVisitor() = default;
    virtual void OnRace(const BacktestRace& race) = 0;
    virtual void OnSkipped(const SkippedRace& skipped) = 0;
    // The odds history could not be read; the run goes on without it. Called
    // at most once, before any race is used.
    virtual void OnHistoryProblem(const std::string& /*problem*/) {}
};

} // namespace velmora
