#pragma once

#include "patdata/pat_file.h"
#include "patdata/records.h"

#include <string>

namespace velmora {

// Reads the 11 fields of an entry file's header from the current position.
// There is no format check; false only when the file ends first.
bool ReadEntryHeader(PatFile& file, EntryHeader& header);

// Reads the entry file at `path`: the header, then one entry for each runner
// 1 … runner count into record.Runners. False when the file cannot be opened or
// read completely or counts more than 18 runners. Shows nothing. Pass a fresh
// record: entries behind the runner count are left as they are.
bool ReadEntryFile(const std::string& path, EntryRecord& record);

} // namespace velmora
