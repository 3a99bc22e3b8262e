#pragma once

#include "common/messages.h"
#include "patdata/pat_file.h"
#include "patdata/records.h"

#include <string>

namespace velmora {

// Reads the quinella odds file at `path` into `record`. The table is blanked
// first; then cell (i, j) is filled for every 1 <= i < j <= runner count, all
// other cells stay all spaces. False when the file cannot be opened or read
// completely, has a wrong format (reported through `messages`) or counts more
// than 18 runners.
bool ReadQuinellaOdds(const std::string& path, QuinellaRecord& record, MessageSink& messages);
// The same from a file opened already, read from its start.
bool ReadQuinellaOdds(PatFile& file, QuinellaRecord& record, MessageSink& messages);

} // namespace velmora
