#include "backtest/figures.h"

#include "browser/listing_problems.h"

#include <numeric>

namespace velmora {

// An odds file is skipped for the reasons the race list leaves it out for,
// under the same names.
std::string_view SkipReasonKey(SkipReason reason) {
    switch (reason) {
    case SkipReason::UnreadableOddsFile:
        return OddsFileFaultKey(OddsFileFault::Unreadable);
    case SkipReason::WrongFormatOddsFile:
        return OddsFileFaultKey(OddsFileFault::WrongFormat);
    case SkipReason::TooFewRunners:
        return "fewer_than_8_runners";
    case SkipReason::TooFewActiveRunners:
        return "fewer_than_8_active_runners";
    case SkipReason::NoResultFile:
        return "no_result_file";
    case SkipReason::UnreadableResultFile:
        return "unreadable_result_file";
    case SkipReason::InvalidOdds:
        return "invalid_odds";
    }
    return "unknown";
}

std::string_view SkipReasonText(SkipReason reason) {
    switch (reason) {
    case SkipReason::UnreadableOddsFile:
        return OddsFileFaultText(OddsFileFault::Unreadable);
    case SkipReason::WrongFormatOddsFile:
        return OddsFileFaultText(OddsFileFault::WrongFormat);
    case SkipReason::TooFewRunners:
        return "fewer than 8 runners";
    case SkipReason::TooFewActiveRunners:
        return "fewer than 8 active runners";
    case SkipReason::NoResultFile:
        return "no result file";
    case SkipReason::UnreadableResultFile:
        return "result file unreadable";
    case SkipReason::InvalidOdds:
        return "odds not a positive number";
    }
    return "unknown";
}

void Tally::Add(const BacktestRace& race) {
    ++races;
    bool quinellaHitInRace = false;
    bool wideHitInRace = false;
    for (const BacktestPair& pair : race.pairs) {
        if (pair.refunded) {
            ++pairsRefunded;
            continue;
        }
        ++pairsBet;
        quinella.stake += kStakeYen;
        wide.stake += kStakeYen;
        if (pair.quinellaHit) {
            ++quinella.hits;
            quinella.returned += pair.quinellaReturn;
            quinellaHitInRace = true;
        }
        if (pair.wideHit) {
            ++wide.hits;
            wide.returned += pair.wideReturn;
            wideHitInRace = true;
        }
    }
    quinella.racesHit += quinellaHitInRace ? 1 : 0;
    wide.racesHit += wideHitInRace ? 1 : 0;
    racesAnyHit += (quinellaHitInRace || wideHitInRace) ? 1 : 0;
}

std::optional<double> Ratio(std::int64_t numerator, std::int64_t denominator) {
    if (denominator == 0) {
        return std::nullopt;
    }
    return static_cast<double>(numerator) / static_cast<double>(denominator);
}

std::string_view RunnerBandLabel(int band) {
    switch (band) {
    case 0:
        return "8-10";
    case 1:
        return "11-14";
    case 2:
        return "15-18";
    default:
        return "";
    }
}

int RunnerBand(int runnerCount) {
    if (runnerCount >= 8 && runnerCount <= 10) {
        return 0;
    }
    if (runnerCount >= 11 && runnerCount <= 14) {
        return 1;
    }
    if (runnerCount >= 15 && runnerCount <= 18) {
        return 2;
    }
    return -1;
}

std::string_view Win1MovementLabel(Win1Movement movement) {
    switch (movement) {
    case Win1Movement::Rose:
        return "上昇";
    case Win1Movement::Fell:
        return "下降";
    case Win1Movement::Unchanged:
        return "変化なし";
    case Win1Movement::NoHistory:
        return "履歴なし";
    }
    return "";
}

std::string_view PairMarkGroupLabel(int group) {
    return group == 0 ? "あり" : "なし";
}

void Figures::Add(const BacktestRace& race) {
    all.Add(race);
    byWin1Grade[race.grades[0]].Add(race);
    byGradePattern[race.GradePattern()].Add(race);
    byCourse[race.course].Add(race);
    int band = RunnerBand(race.runnerCount);
    if (band >= 0) {
        byRunnerBand[static_cast<std::size_t>(band)].Add(race);
    }
    byWin1Movement[static_cast<std::size_t>(race.win1Movement)].Add(race);
    byPairMark[static_cast<std::size_t>(PairMarkGroup(race))].Add(race);
}

void Figures::AddSkipped(SkipReason reason) {
    ++skipped[static_cast<std::size_t>(reason)];
}

std::int64_t Figures::SkippedTotal() const {
    return std::accumulate(skipped.begin(), skipped.end(), std::int64_t{0});
}

} // namespace velmora
