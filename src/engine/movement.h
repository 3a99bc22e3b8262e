#pragma once

#include "engine/race_figures.h"

#include <string_view>
#include <vector>

namespace velmora {

enum class MoveMark { None, Rose, Fell };

// "↑" for support that rose, "↓" for support that fell, else empty.
std::string_view MoveMarkText(MoveMark mark);

// One kind of odds of a runner, at the first version and now. Support is the
// program's support rate of those odds; 0 (odds and support) where a version
// has no odds for the runner, and then the change is 0 and there is no mark.
struct SupportMove {
    double firstOdds = 0.0;
    double nowOdds = 0.0;
    double firstSupport = 0.0;
    double nowSupport = 0.0;
    double change = 0.0; // nowSupport / firstSupport
    MoveMark mark = MoveMark::None;
};

struct MovementRow {
    int no = 0;
    SupportMove win;
    SupportMove place; // from the average of the place odds
};

// One row for every runner of `now`: how its support moved since `first`.
// Support that rose by at least `factor` is marked Rose, support that fell to
// 1 / factor of what it was or less is marked Fell. A factor of 1 or less marks
// nothing, since unchanged support would count as risen.
std::vector<MovementRow> ComputeMovement(const RaceFigures& first, const RaceFigures& now, double factor);

} // namespace velmora
