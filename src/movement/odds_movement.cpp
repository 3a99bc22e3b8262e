#include "movement/odds_movement.h"

#include "engine/recommendations.h"
#include "movement/version_figures.h"
#include "sheet/race_sheet.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>

namespace velmora {
namespace {

std::string RatioText(double ratio) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", ratio);
    return text;
}

std::string PairMark(const RecommendedPair& pair) {
    std::string mark;
    if (pair.ratio > 0.0) {
        mark = "売れすぎ " + RatioText(pair.ratio);
    }
    for (int no : pair.rankGapRunners) {
        mark += (mark.empty() ? "ずれ " : " ずれ ") + std::to_string(no) + "番";
    }
    return mark;
}

} // namespace

std::vector<OddsVersion> HeldVersionsOf(HistoryStore* store, const std::string& oddsPath) {
    if (store == nullptr || !store->IsAvailable() || oddsPath.empty()) {
        return {};
    }
    const auto race = store->FindRace(oddsPath, FileModifiedMs(oddsPath));
    return race ? store->Versions(race->id) : std::vector<OddsVersion>{};
}

OddsMovement::OddsMovement(const std::vector<OddsVersion>& held, const std::string& oddsFileName,
                           const RaceSheet& sheet, const MovementThresholds& thresholds)
    : thresholds_(thresholds) {
    for (int row = 1; row <= sheet.GetRunnerCount(); ++row) {
        names_.push_back(sheet.Text(Column::HorseName, row));
    }
    ReadVersions(held, oddsFileName);
    if (!hasHistory_) {
        RaceFigures own = FiguresFromSheet(sheet);
        if (!own.runners.empty()) {
            versions_.push_back({0, 0, {}, std::move(own)});
        }
    }
    ReadRecommendedPairs(sheet);
    BuildSeries();
    ChooseVersion(static_cast<int>(versions_.size()) - 1);
}

void OddsMovement::ReadVersions(const std::vector<OddsVersion>& held, const std::string& oddsFileName) {
    std::vector<FiguresAt> states = FiguresOfVersions(held);
    versions_.reserve(states.size() + 1);
    for (FiguresAt& state : states) {
        const OddsVersion& version = held[static_cast<std::size_t>(state.version)];
        versions_.push_back({version.seenMs, version.modifiedMs, oddsFileName, std::move(state.figures)});
    }
    hasHistory_ = !versions_.empty();
}

void OddsMovement::ReadRecommendedPairs(const RaceSheet& sheet) {
    for (const std::string& line : sheet.Items(SheetList::Result)) {
        if (const auto pair = ParsePair(line)) {
            RecommendedPair recommended;
            recommended.a = pair->first;
            recommended.b = pair->second;
            recommended.text = line.substr(0, 5);
            pairs_.push_back(std::move(recommended));
        }
    }
}

void OddsMovement::BuildSeries() {
    if (versions_.size() < 2) {
        return;
    }
    const RaceFigures& first = versions_.front().figures;
    for (const RunnerFigures& runner : versions_.back().figures.runners) {
        series_.push_back({runner.no, {}});
    }
    for (const MovementVersion& version : versions_) {
        for (const MovementRow& row : ComputeMovement(first, version.figures, thresholds_.moveFactor)) {
            auto series = std::find_if(series_.begin(), series_.end(),
                                       [&row](const SupportSeries& s) { return s.no == row.no; });
            if (series != series_.end() && row.win.nowSupport > 0.0) {
                series->points.push_back({version.modifiedMs, row.win.nowSupport});
            }
        }
    }
}

void OddsMovement::ChooseVersion(int index) {
    if (index < 0 || index >= static_cast<int>(versions_.size())) {
        return;
    }
    chosen_ = index;
    MarkChosenVersion();
}

void OddsMovement::MarkChosenVersion() {
    const RaceFigures& now = versions_[static_cast<std::size_t>(chosen_)].figures;
    anomalies_ = ComputeAnomalies(now, thresholds_.anomalies);
    runners_.clear();
    for (const MovementRow& row : ComputeMovement(versions_.front().figures, now, thresholds_.moveFactor)) {
        const auto index = static_cast<std::size_t>(row.no - 1);
        MovementRunner runner{row.no, index < names_.size() ? names_[index] : std::string(), row,
                              std::nullopt};
        for (const RankGap& gap : anomalies_.rankGaps) {
            if (gap.no == row.no) {
                runner.rankGap = gap;
            }
        }
        runners_.push_back(std::move(runner));
    }
    for (RecommendedPair& pair : pairs_) {
        const PairShare* oversold = FindOversold(anomalies_, pair.a, pair.b);
        pair.ratio = oversold != nullptr ? oversold->ratio : 0.0;
        pair.rankGapRunners.clear();
        for (int no : {pair.a, pair.b}) {
            if (HasRankGap(anomalies_, no)) {
                pair.rankGapRunners.push_back(no);
            }
        }
        pair.mark = PairMark(pair);
    }
}

} // namespace velmora
