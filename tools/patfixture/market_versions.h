#pragma once

// Successive versions of one race's odds, as the PAT software rewrites them
// through a race morning: the money moves towards the runners being backed and
// away from those drifting, gradually and with some noise. Every version is a
// whole `Race`, so its place and quinella odds derive from its win odds exactly
// as a single race's do and stay consistent with them.
//
//     patfixture::VersionPlan plan;
//     plan.race = ParseRaceDescription(text);   // the opening market
//     plan.count = 20;
//     plan.firstSecond = 9 * 3600;
//     plan.lastSecond = 11 * 3600;
//     plan.moves = {{3, 2.0}, {7, 0.5}};          // 3 backed, 7 drifting
//     for (const RaceVersion& version : RaceVersions(plan)) ...
//
// The same plan always gives the same versions (the noise comes from a
// generator seeded with `seed`).

#include "pat_fixture.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::patfixture {

// How a runner's share of the win pool changes from the first version to the
// last: `factor` 2.0 doubles it (backed), 0.5 halves it (drifting).
struct Movement {
    int horse = 0;
    double factor = 1.0;
};

struct VersionPlan {
    Race race; // the first version; its win odds open the market
    int count = 10;
    int firstSecond = 9 * 3600; // seconds since midnight of the first version
    int lastSecond = 10 * 3600;
    std::vector<Movement> moves;
    // Money the win odds don't explain, in every version: a pair's quinella
    // odds, or a runner's place odds, are the derived ones divided by the factor.
    std::map<std::pair<int, int>, double> oversoldPairs;
    std::map<int, double> placeBacked;
    // Spread of the random step each version adds to every runner's share, relative.
    double noise = 0.03;
    std::uint64_t seed = 1;
    // Seconds since midnight the result file appears; -1 without one. Set by
    // ParseVersionPlan when the race has a result.
    int resultSecond = -1;
};

struct RaceVersion {
    int second = 0; // seconds since midnight
    Race race;      // win odds of this version, everything else derived
};

// The plan's versions in time order; FixtureError for a plan that cannot be
// written (fewer than two versions, times not rising, a move on a runner that
// does not run).
std::vector<RaceVersion> RaceVersions(const VersionPlan& plan);

// "HHMMSS", the name of a version's folder, and "HH:MM:SS".
std::string VersionFolderName(int second);
std::string ClockText(int second);

// A race description with the version keys (tools/patfixture/README.md).
VersionPlan ParseVersionPlan(std::string_view text);

// Every file of a race day made from these plans, named by its path below the
// race day folder: "versions/HHMMSS/Zo-…". The odds files come with each
// version, the entry file with the first, the result file (when the race has
// one) in its own version at `resultSecond`.
std::vector<FixtureFile> RaceDayFiles(const std::vector<VersionPlan>& plans);

} // namespace velmora::patfixture
