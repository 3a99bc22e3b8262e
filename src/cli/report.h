#pragma once

#include "browser/file_list.h"
#include "common/messages.h"

#include <string>
#include <vector>

namespace velmora {
class RaceSheet;
struct AnomalyThresholds;
} // namespace velmora

namespace velmora::cli {

// What the sheet shows after a command, as one JSON object (texts exactly as
// the sheet holds them, colours as their background values).
std::string SheetJson(const RaceSheet& sheet, const std::vector<Message>& messages);
// The same with an "anomalies" member last: the anomaly marks of the sheet's odds.
std::string SheetJson(const RaceSheet& sheet, const std::vector<Message>& messages,
                      const AnomalyThresholds& thresholds);

// The browser's listing of a folder as one JSON object; "skipped" names the
// odds files left out, each with the machine name of its fault.
std::string ListJson(const std::string& folder, const std::vector<FileListRow>& rows,
                     const std::vector<Message>& messages, const std::vector<SkippedOddsFile>& skipped = {});

// The same for a terminal: aligned tables, padding of the fields trimmed.
std::string SheetTable(const RaceSheet& sheet, const std::vector<Message>& messages);
std::string ListTable(const std::string& folder, const std::vector<FileListRow>& rows,
                      const std::vector<Message>& messages);

} // namespace velmora::cli
