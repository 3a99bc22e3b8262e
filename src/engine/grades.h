#pragma once

namespace velmora {

class RaceSheet;

// Grades how firmly the public backs the favourites, from the rank and support
// texts the calculation wrote: lblRank(1) win-1, (2) win-1+2, (3) place-1,
// (4) place-1+2, each "A" ... "D".
void RateReliability(RaceSheet& sheet);

} // namespace velmora
