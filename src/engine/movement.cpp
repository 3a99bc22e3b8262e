#include "engine/movement.h"

#include <cmath>

namespace velmora {
namespace {

constexpr double kSupportBase = 0.8;
constexpr double kPlaceDivisor = 3.0;
// Odds are decimals of a few digits: a change that is the factor on paper must
// not miss it by a rounding error.
constexpr double kTolerance = 1e-9;

bool Usable(double odds) {
    return std::isfinite(odds) && odds > 0.0;
}

const RunnerFigures* FindRunner(const RaceFigures& figures, int no) {
    for (const RunnerFigures& runner : figures.runners) {
        if (runner.no == no) {
            return &runner;
        }
    }
    return nullptr;
}

MoveMark MarkOf(double change, double factor) {
    if (!(factor > 1.0) || change <= 0.0) {
        return MoveMark::None;
    }
    if (change >= factor * (1.0 - kTolerance)) {
        return MoveMark::Rose;
    }
    if (change * factor <= 1.0 + kTolerance) {
        return MoveMark::Fell;
    }
    return MoveMark::None;
}

// Support is inverse to the odds, so its change is the ratio of the odds.
SupportMove MoveOf(double firstOdds, double nowOdds, double supportScale, double factor) {
    SupportMove move;
    if (Usable(firstOdds)) {
        move.firstOdds = firstOdds;
        move.firstSupport = supportScale / firstOdds;
    }
    if (Usable(nowOdds)) {
        move.nowOdds = nowOdds;
        move.nowSupport = supportScale / nowOdds;
    }
    if (move.firstOdds > 0.0 && move.nowOdds > 0.0) {
        move.change = move.firstOdds / move.nowOdds;
        move.mark = MarkOf(move.change, factor);
    }
    return move;
}

double WinOdds(const RunnerFigures* runner) {
    return runner != nullptr && !runner->scratched ? runner->winOdds : 0.0;
}

double PlaceOdds(const RunnerFigures* runner) {
    return runner != nullptr && !runner->scratched ? runner->placeOdds : 0.0;
}

} // namespace

std::string_view MoveMarkText(MoveMark mark) {
    switch (mark) {
    case MoveMark::Rose:
        return "↑";
    case MoveMark::Fell:
        return "↓";
    case MoveMark::None:
        break;
    }
    return "";
}

std::vector<MovementRow> ComputeMovement(const RaceFigures& first, const RaceFigures& now, double factor) {
    std::vector<MovementRow> rows;
    for (const RunnerFigures& runner : now.runners) {
        const RunnerFigures* before = FindRunner(first, runner.no);
        MovementRow row;
        row.no = runner.no;
        row.win = MoveOf(WinOdds(before), WinOdds(&runner), kSupportBase, factor);
        row.place = MoveOf(PlaceOdds(before), PlaceOdds(&runner), kSupportBase / kPlaceDivisor, factor);
        rows.push_back(row);
    }
    return rows;
}

} // namespace velmora
