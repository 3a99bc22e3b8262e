#include "engine/calculation.h"

#include "common/conversions.h"
#include "common/messages.h"
#include "engine/grades.h"
#include "engine/odds_check.h"
#include "engine/recommendations.h"
#include "sheet/race_sheet.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace velmora {
namespace {

constexpr int kMinimumActiveRunners = 8;
constexpr double kSupportBase = 0.8;
constexpr double kZeroWinOdds = 800.0;
constexpr double kZeroPlaceOdds = 80.0;
constexpr double kPlaceDivisor = 3.0;

// Odds so close to zero that dividing by them overflows still show a rate.
double FiniteRate(double rate) {
    constexpr double kLargest = std::numeric_limits<double>::max();
    return std::clamp(rate, -kLargest, kLargest);
}

double ReadBack(const RaceSheet& sheet, Column column, int row) {
    return NumericValue(sheet.Text(column, row));
}

// Rank of every row: 1 + the rows with a smaller value + the earlier rows with
// an equal one, so ties go to the lower runner number and the ranks are a
// permutation of 1 ... n. values[0] belongs to row 1.
template <typename T> std::vector<int> PopularityRanks(const std::vector<T>& values) {
    std::vector<int> ranks(values.size(), 1);
    for (std::size_t b = 0; b < values.size(); ++b) {
        for (std::size_t c = 0; c < values.size(); ++c) {
            if (values[c] < values[b] || (values[c] == values[b] && c < b)) {
                ++ranks[b];
            }
        }
    }
    return ranks;
}

void WriteRanks(RaceSheet& sheet, Column column, const std::vector<int>& ranks) {
    for (std::size_t i = 0; i < ranks.size(); ++i) {
        sheet.SetText(column, static_cast<int>(i) + 1, std::to_string(ranks[i]));
    }
}

void RankWinPopularity(RaceSheet& sheet, int n) {
    std::vector<float> odds;
    for (int i = 1; i <= n; ++i) {
        odds.push_back(sheet.GetWinOdds(i));
    }
    WriteRanks(sheet, Column::TanPopular, PopularityRanks(odds));
}

void WriteWinSupport(RaceSheet& sheet, int n) {
    for (int i = 1; i <= n; ++i) {
        // The scratch marker reads as 0 here, like a blank field.
        double odds = ReadBack(sheet, Column::TanOdds, i);
        double rate = kSupportBase / (odds == 0.0 ? kZeroWinOdds : odds);
        sheet.SetText(Column::TanRatio, i, FormatFixed(FiniteRate(rate), 3));
    }
}

void WriteAveragePlaceOdds(RaceSheet& sheet, int n) {
    for (int i = 1; i <= n; ++i) {
        float average =
            ToSingle((static_cast<double>(sheet.GetPlaceOddsMin(i)) + sheet.GetPlaceOddsMax(i)) / 2.0);
        // Odds beyond single precision average to the largest one, not to a
        // text that reads back as 0 and ranks first.
        constexpr float kLargest = std::numeric_limits<float>::max();
        average = std::isnan(average) ? 0.0f : std::clamp(average, -kLargest, kLargest);
        sheet.SetText(Column::FukuOdds, i, FormatFixed(average, 2));
    }
}

// Ranks the two-decimal texts just written, not the unrounded averages.
void RankPlacePopularity(RaceSheet& sheet, int n) {
    std::vector<double> odds;
    for (int i = 1; i <= n; ++i) {
        odds.push_back(ReadBack(sheet, Column::FukuOdds, i));
    }
    WriteRanks(sheet, Column::FukuPopular, PopularityRanks(odds));
}

void WritePlaceSupport(RaceSheet& sheet, int n) {
    for (int i = 1; i <= n; ++i) {
        double odds = ReadBack(sheet, Column::FukuOdds, i);
        double rate = odds == 0.0 ? kSupportBase / kZeroPlaceOdds : kSupportBase / odds / kPlaceDivisor;
        sheet.SetText(Column::FukuRatio, i, FormatFixed(FiniteRate(rate), 3));
    }
}

// A blank, zero, negative or mistyped odds text would read as 0, rank first
// and become the axis of every recommended pair: such a race is refused, and
// the fields are named and marked.
bool RefuseMistypedOdds(RaceSheet& sheet, MessageSink& messages) {
    std::vector<RefusedOdds> refused = FindRefusedOdds(sheet);
    if (refused.empty()) {
        return false;
    }
    for (const RefusedOdds& field : refused) {
        sheet.Mark(field.column, field.row);
    }
    messages.ShowMessage(RefusedOddsMessage(refused), kAppTitle, MessageIcon::None);
    return true;
}

} // namespace

bool ComputeRunnerFigures(RaceSheet& sheet, MessageSink& messages) {
    sheet.ClearResults();
    sheet.ClearMarks();
    if (sheet.GetActiveRunnerCount() < kMinimumActiveRunners) {
        messages.ShowMessage(kTooFewRunnersMessage, kAppTitle, MessageIcon::None);
        return false;
    }
    if (RefuseMistypedOdds(sheet, messages)) {
        return false;
    }
    const int n = sheet.GetRunnerCount();
    RankWinPopularity(sheet, n);
    WriteWinSupport(sheet, n);
    WriteAveragePlaceOdds(sheet, n);
    RankPlacePopularity(sheet, n);
    WritePlaceSupport(sheet, n);
    return true;
}

void ComputeRecommendations(RaceSheet& sheet, MessageSink& messages) {
    RateReliability(sheet);
    ListRecommendations(sheet, messages);
    sheet.ColorPopularity();
}

} // namespace velmora
