#pragma once

#include "common/messages.h"
#include "patdata/pat_file.h"
#include "patdata/records.h"

#include <cstddef>
#include <string>

namespace velmora {

// Reads the win/place odds file at `path`: the race header, then one entry for
// each runner 1 … runner count into record.Runners. False when the file cannot
// be opened or read completely, has a wrong format (reported through
// `messages`) or counts more than 18 runners. Pass a fresh record: entries
// behind the runner count are left as they are.
bool ReadWinPlaceOdds(const std::string& path, RaceRecord& record, MessageSink& messages);
// The same from a file opened already, read from its start.
bool ReadWinPlaceOdds(PatFile& file, RaceRecord& record, MessageSink& messages);

// The most bytes ReadWinPlaceOdds takes from a file: the header and 18 runners.
inline constexpr std::size_t kWinPlaceOddsMaxBytes = 142 + 18 * kMaxRunners;

// Reads only the race header of the file at `path`, with its format check.
bool ReadRaceFileHeader(const std::string& path, RaceHeader& header, MessageSink& messages);

} // namespace velmora
