#include "race/odds_movement.h"

#include "race/race_figures_of.h"
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

const PairShare* OversoldPair(const Anomalies& anomalies, int a, int b) {
    for (const PairShare& pair : anomalies.oversoldPairs) {
        if ((pair.a == a && pair.b == b) || (pair.a == b && pair.b == a)) {
            return &pair;
        }
    }
    return nullptr;
}

bool HasRankGap(const Anomalies& anomalies, int no) {
    return std::any_of(anomalies.rankGaps.begin(), anomalies.rankGaps.end(),
                       [no](const RankGap& gap) { return gap.no == no; });
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

// A number of one or two digits, right-aligned in two characters.
std::optional<int> TwoCharacterNumber(const std::string& text) {
    if (text.size() != 2 || !std::isdigit(static_cast<unsigned char>(text[1])) ||
        !(text[0] == ' ' || std::isdigit(static_cast<unsigned char>(text[0])))) {
        return std::nullopt;
    }
    const int number = text[0] == ' ' ? text[1] - '0' : (text[0] - '0') * 10 + (text[1] - '0');
    return number >= 1 && number <= kMaxRunners ? std::optional<int>(number) : std::nullopt;
}

std::int64_t Distance(const OddsVersion& a, const OddsVersion& b) {
    return a.modifiedMs > b.modifiedMs ? a.modifiedMs - b.modifiedMs : b.modifiedMs - a.modifiedMs;
}

// The win/place version nearest in file time to version `at`; the earlier one
// of two as near, so that no version takes odds written after it.
int NearestWinPlace(const std::vector<OddsVersion>& held, const std::vector<int>& winPlace, std::size_t at) {
    int nearest = -1;
    for (int index : winPlace) {
        const OddsVersion& candidate = held[static_cast<std::size_t>(index)];
        if (nearest < 0 ||
            Distance(candidate, held[at]) < Distance(held[static_cast<std::size_t>(nearest)], held[at])) {
            nearest = index;
        }
    }
    return nearest;
}

// For each win/place version, the index of the quinella version that goes with
// it (-1: none). PAT rewrites both files at every refresh, in either order, so
// a quinella version belongs to the win/place version nearest in file time; a
// refresh that left the quinella odds as they were keeps the earlier ones.
std::vector<int> QuinellaOfEachVersion(const std::vector<OddsVersion>& held) {
    std::vector<int> winPlace;
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (held[i].kind == OddsFileKind::WinPlace) {
            winPlace.push_back(static_cast<int>(i));
        }
    }
    std::vector<int> owned(held.size(), -1);
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (held[i].kind == OddsFileKind::Quinella && !winPlace.empty()) {
            owned[static_cast<std::size_t>(NearestWinPlace(held, winPlace, i))] = static_cast<int>(i);
        }
    }
    std::vector<int> quinella(held.size(), -1);
    int current = -1;
    for (int index : winPlace) {
        const auto at = static_cast<std::size_t>(index);
        current = owned[at] >= 0 ? owned[at] : current;
        quinella[at] = current;
    }
    return quinella;
}

} // namespace

std::optional<std::pair<int, int>> PairOfLine(const std::string& line) {
    if (line.size() < 5 || line[2] != '-') {
        return std::nullopt;
    }
    const auto a = TwoCharacterNumber(line.substr(0, 2));
    const auto b = TwoCharacterNumber(line.substr(3, 2));
    if (!a || !b || *a >= *b) {
        return std::nullopt;
    }
    return std::make_pair(*a, *b);
}

std::vector<OddsVersion> HeldVersionsOf(HistoryStore* store, const std::string& oddsPath) {
    if (store == nullptr || !store->IsAvailable() || oddsPath.empty()) {
        return {};
    }
    const auto race = store->FindRace(oddsPath);
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
    const std::vector<int> quinella = QuinellaOfEachVersion(held);
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (held[i].kind != OddsFileKind::WinPlace) {
            continue;
        }
        const std::string_view quinellaBytes =
            quinella[i] < 0 ? std::string_view() : held[static_cast<std::size_t>(quinella[i])].bytes;
        RaceFigures figures = FiguresOfOddsBytes(held[i].bytes, quinellaBytes);
        if (!figures.runners.empty()) {
            versions_.push_back({held[i].seenMs, held[i].modifiedMs, oddsFileName, std::move(figures)});
        }
    }
    hasHistory_ = !versions_.empty();
}

void OddsMovement::ReadRecommendedPairs(const RaceSheet& sheet) {
    for (const std::string& line : sheet.Items(SheetList::Result)) {
        if (const auto pair = PairOfLine(line)) {
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
        const PairShare* oversold = OversoldPair(anomalies_, pair.a, pair.b);
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
