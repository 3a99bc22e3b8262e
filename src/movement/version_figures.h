#pragma once

#include "engine/race_figures.h"
#include "history/history_store.h"

#include <vector>

namespace velmora {

// The race as it stood with one readable win/place version of its odds: that
// version's figures, with the quinella odds of the same refresh of the PAT
// software (or of the last refresh that changed them).
struct FiguresAt {
    int version = 0; // index into the versions it was made from
    RaceFigures figures;
};

// One entry for every readable win/place version, in the versions' order
// (file time). Versions loading would refuse are left out.
std::vector<FiguresAt> FiguresOfVersions(const std::vector<OddsVersion>& versions);

} // namespace velmora
