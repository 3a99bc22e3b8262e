#pragma once

#include "history/odds_recorder.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace velmora::test {

// A time on a race day (2026-12-06 10:00 UTC) that versions count from.
inline constexpr std::int64_t kRaceDayMs = 1796551200000;

// The odds file ("Zo-") or quinella file ("Uo-") of race `raceNo` at Tokyo on
// the first day of the fifth meeting, as version `version`: the favourites'
// odds drift with it, so every version of a race differs from every other.
SeenFile OddsVersion(const std::filesystem::path& folder, int raceNo, int version);
SeenFile QuinellaVersion(const std::filesystem::path& folder, int raceNo, int version);

// The two of them seen `version` minutes into the race day.
inline std::int64_t MinutesIntoRaceDay(int version) {
    return kRaceDayMs + std::int64_t{version} * 60000;
}

} // namespace velmora::test
