#pragma once

#include "sheet/race_sheet.h"

#include <string>
#include <vector>

namespace velmora {

// Odds a PAT file can hold are at most five characters wide; anything above is
// a typing slip, and would be shown cut off in its field.
inline constexpr double kMaxOdds = 99999.0;

// An odds field of an active runner that is no positive number up to kMaxOdds.
struct RefusedOdds {
    int row = 0;
    Column column = Column::TanOdds;
    bool operator==(const RefusedOdds&) const = default;
};

// Every refused odds field among the active runners 1 ... n, by runner, then
// left to right. Scratched runners are passed over: their odds are not read.
std::vector<RefusedOdds> FindRefusedOdds(const RaceSheet& sheet);

// Names the runners and fields, as in "3番の単ｵｯｽﾞ、5番の複ｵｯｽﾞMin・複ｵｯｽﾞMax";
// beyond six runners the rest are counted.
std::string RefusedOddsPlaces(const std::vector<RefusedOdds>& refused);

// The message the compute command shows for refused odds.
std::string RefusedOddsMessage(const std::vector<RefusedOdds>& refused);

} // namespace velmora
