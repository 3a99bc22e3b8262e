#pragma once

#include "common/messages.h"

#include <string>

namespace velmora {
class RaceSheet;
}

namespace velmora::cli {

struct CliContext;

// What a command that fills the race sheet prints: the sheet as a table or
// JSON, the anomaly marks of its odds with them for a race loaded from its
// files. Status 1 when the program showed a message, else 0.
int PrintSheet(CliContext& context, bool json, bool withAnomalies, const RaceSheet& sheet,
               const RecordingMessageSink& messages);

// Loads the race of a win/place odds file as the file browser does, with its
// official result when asked, and prints the sheet with its anomaly marks.
int LoadAndPrintRace(CliContext& context, const std::string& oddsPath, bool withResult, bool json);

} // namespace velmora::cli
