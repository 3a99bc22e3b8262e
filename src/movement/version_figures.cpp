#include "movement/version_figures.h"

#include "race/race_figures_of.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace velmora {
namespace {

// Unsigned, so that two times at the far ends of the range can't overflow.
std::uint64_t Distance(const OddsVersion& a, const OddsVersion& b) {
    const auto later = static_cast<std::uint64_t>(std::max(a.modifiedMs, b.modifiedMs));
    const auto earlier = static_cast<std::uint64_t>(std::min(a.modifiedMs, b.modifiedMs));
    return later - earlier;
}

// The win/place version nearest in file time to version `at`; the earlier one
// of two as near, so that no version takes odds written after it.
int NearestWinPlace(const std::vector<OddsVersion>& held, const std::vector<int>& winPlace, std::size_t at) {
    int nearest = -1;
    for (int index : winPlace) {
        const OddsVersion& candidate = held[static_cast<std::size_t>(index)];
        if (nearest < 0 ||
            Distance(candidate, held[at]) < Distance(held[static_cast<std::size_t>(nearest)], held[at])) {
            nearest = index;
        }
    }
    return nearest;
}

// For each win/place version, the index of the quinella version that goes with
// it (-1: none). PAT rewrites both files at every refresh, in either order, so
// a quinella version belongs to the win/place version nearest in file time; a
// refresh that left the quinella odds as they were keeps the earlier ones.
std::vector<int> QuinellaOfEachVersion(const std::vector<OddsVersion>& held) {
    std::vector<int> winPlace;
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (held[i].kind == OddsFileKind::WinPlace) {
            winPlace.push_back(static_cast<int>(i));
        }
    }
    std::vector<int> owned(held.size(), -1);
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (held[i].kind == OddsFileKind::Quinella && !winPlace.empty()) {
            owned[static_cast<std::size_t>(NearestWinPlace(held, winPlace, i))] = static_cast<int>(i);
        }
    }
    std::vector<int> quinella(held.size(), -1);
    int current = -1;
    for (int index : winPlace) {
        const auto at = static_cast<std::size_t>(index);
        current = owned[at] >= 0 ? owned[at] : current;
        quinella[at] = current;
    }
    return quinella;
}

} // namespace

std::vector<FiguresAt> FiguresOfVersions(const std::vector<OddsVersion>& versions) {
    const std::vector<int> quinella = QuinellaOfEachVersion(versions);
    // Each figure holds a whole quinella grid, so growing the list copy by
    // copy shows in the time the odds movement window takes to open.
    std::vector<FiguresAt> states;
    states.reserve(versions.size());
    for (std::size_t i = 0; i < versions.size(); ++i) {
        if (versions[i].kind != OddsFileKind::WinPlace) {
            continue;
        }
        const std::string_view quinellaBytes =
            quinella[i] < 0 ? std::string_view() : versions[static_cast<std::size_t>(quinella[i])].bytes;
        RaceFigures figures = FiguresOfOddsBytes(versions[i].bytes, quinellaBytes);
        if (!figures.runners.empty()) {
            states.push_back({static_cast<int>(i), std::move(figures)});
        }
    }
    return states;
}

} // namespace velmora
