#pragma once

#include "watch/folder_follower.h"

#include <string>
#include <vector>

namespace velmora::cli {

struct CliContext;

// One change as a line for a terminal: time, race, file and the runners whose
// odds moved, and "not recorded" when the history does not hold it.
std::string ChangeLine(const OddsChange& change);
// The same as one compact JSON object, without the line end; its last member
// "recorded" tells whether the history holds the version.
std::string ChangeJson(const OddsChange& change);

// "velmora-cli watch [--json] [FOLDER]": follows the folder (the stored PAT
// folder by default) until SIGINT or SIGTERM, one line per new version of a
// race's odds file, each handed to the context's recorder before its line is
// written. 0 when stopped by a signal with every version recorded; 1, the
// reason on the error stream, when the folder can't be followed, a version
// went unrecorded or the output was closed (what was waiting is recorded).
int RunWatch(const std::vector<std::string>& args, CliContext& context);

} // namespace velmora::cli
