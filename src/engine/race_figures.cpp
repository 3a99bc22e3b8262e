#include "engine/race_figures.h"

#include "common/conversions.h"
#include "sheet/race_sheet.h"

#include <algorithm>
#include <cmath>

namespace velmora {
namespace {

double ReadNumber(const RaceSheet& sheet, Column column, int row) {
    return NumericValue(sheet.Text(column, row));
}

bool HasComputedFigures(const RaceSheet& sheet, int n) {
    for (int row = 1; row <= n; ++row) {
        if (sheet.Text(Column::TanPopular, row).empty() || sheet.Text(Column::FukuPopular, row).empty()) {
            return false;
        }
    }
    return n > 0;
}

} // namespace

QuinellaOddsGrid QuinellaGridOf(const QuinellaRecord& record, int runnerCount) {
    QuinellaOddsGrid grid{};
    const auto n = static_cast<std::size_t>(std::clamp(runnerCount, 0, kMaxRunners));
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = i + 1; j <= n; ++j) {
            grid[i][j] = NumericValue(record.Cells[i][j].QuinellaOdds);
        }
    }
    return grid;
}

RaceFigures FiguresFromSheet(const RaceSheet& sheet) {
    const int n = sheet.GetRunnerCount();
    RaceFigures figures;
    if (!HasComputedFigures(sheet, n)) {
        return figures;
    }
    for (int row = 1; row <= n; ++row) {
        RunnerFigures runner;
        runner.no = row;
        runner.scratched = sheet.IsScratched(row);
        runner.winOdds = ReadNumber(sheet, Column::TanOdds, row);
        runner.placeOdds = ReadNumber(sheet, Column::FukuOdds, row);
        runner.winRank = static_cast<int>(ReadNumber(sheet, Column::TanPopular, row));
        runner.placeRank = static_cast<int>(ReadNumber(sheet, Column::FukuPopular, row));
        figures.runners.push_back(runner);
    }
    // The sheet's quinella table belongs to the race only while a race file is shown.
    if (!sheet.sOddsFileName.empty()) {
        figures.quinella = QuinellaGridOf(sheet.tUmaOdds, n);
    }
    return figures;
}

bool HasWinOdds(const RunnerFigures& runner) {
    return !runner.scratched && std::isfinite(runner.winOdds) && runner.winOdds > 0.0;
}

} // namespace velmora
