#pragma once

// Versions of one race's odds files as the PAT software writes them, for the
// watch tests: every odds field is given, so that moving one runner's odds
// changes that runner's entry and nothing else.

#include "pat_fixture.h"

#include <filesystem>
#include <string>

namespace velmora::test {

// A 12-runner race with fixed win, place and quinella odds.
patfixture::Race WatchedRace(int raceNo = 11);

using patfixture::ReplaceByRename;

// Rewrites the file where it stands: truncated, then written.
void RewriteInPlace(const std::filesystem::path& folder, const std::string& name, const std::string& bytes);

} // namespace velmora::test
