#pragma once

#include "engine/race_figures.h"
#include "patdata/records.h"

#include <string_view>

namespace velmora {

// The figures of one version of a race's files, exactly as loading it would
// show them: the same ranks and average place odds. `quinella` may be null when
// the version has no quinella odds. Empty when loading would refuse the race.
RaceFigures FiguresOfRace(const RaceRecord& race, const QuinellaRecord* quinella);

// The same from the bytes of a win/place odds file and of a quinella odds file
// as they were once read (empty or unreadable quinella bytes: no quinella
// odds). Empty when the win/place bytes are no complete odds file.
RaceFigures FiguresOfOddsBytes(std::string_view winPlace, std::string_view quinella);

} // namespace velmora
