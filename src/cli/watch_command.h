#pragma once

#include "watch/folder_follower.h"

#include <string>

namespace velmora::cli {

struct CliContext;
struct Invocation;

// One change as a line for a terminal: time, race, file and the runners whose
// odds moved.
std::string ChangeLine(const OddsChange& change);
// The same as one compact JSON object, without the line end.
std::string ChangeJson(const OddsChange& change);

// "velmora-cli watch [--json] [FOLDER]": follows the folder (the stored PAT
// folder by default) until SIGINT or SIGTERM, one line per new version of a
// race's odds file, each handed to the context's recorder. 0 when stopped by
// a signal, 1 when the folder can't be followed (reason on the error stream).
int RunWatch(const Invocation& invocation, CliContext& context);

} // namespace velmora::cli
