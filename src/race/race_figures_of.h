#pragma once

#include "engine/race_figures.h"
#include "patdata/records.h"

namespace velmora {

// The figures of one version of a race's files, exactly as loading it would
// show them: the same ranks and average place odds. `quinella` may be null when
// the version has no quinella odds. Empty when loading would refuse the race.
RaceFigures FiguresOfRace(const RaceRecord& race, const QuinellaRecord* quinella);

} // namespace velmora
