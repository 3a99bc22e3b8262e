#pragma once

#include "common/messages.h"
#include "patdata/records.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// What the PAT folder turned out to be when it was to be listed.
enum class FolderState { Ready, Missing, NotAFolder, Unreadable };

// Looks at a folder as the listing would use it ("dir/" names the same folder
// as "dir"). Unreadable covers a folder that can't be listed and one behind a
// folder that can't be searched.
FolderState CheckFolder(const std::string& folder);

// The message for a PAT folder in that state; empty for Ready.
std::string_view PatFolderProblemText(FolderState state);

// Why an odds file of the folder is left out of the listing. The back-test
// skips a race for the same two reasons, under the same names.
enum class OddsFileFault { Unreadable, WrongFormat };

struct SkippedOddsFile {
    std::string file; // the name, without folder
    OddsFileFault fault = OddsFileFault::Unreadable;
    bool operator==(const SkippedOddsFile&) const = default;
};

// Stable machine name ("unreadable_odds_file"), a short English description
// and the caption the windows show.
std::string_view OddsFileFaultKey(OddsFileFault fault);
std::string_view OddsFileFaultText(OddsFileFault fault);
std::string_view OddsFileFaultCaption(OddsFileFault fault);

// The fault of an odds file whose reader failed, from what the reader showed:
// a wrong format marker is told apart from a file that could not be read
// (missing, not permitted, empty or cut short).
OddsFileFault OddsReadFault(const RecordingMessageSink& shown);

// Reads the race header of the odds file at `path`, showing nothing; the
// fault when it can't be read.
std::optional<OddsFileFault> ReadOddsFileHeader(const std::string& path, RaceHeader& header);

// The line the browser shows under its list: what is wrong with the folder
// (with its path), else "除外 N件: " and each skipped file with its reason;
// empty when every file was listed.
std::string ListingNote(const std::string& folder, FolderState state,
                        const std::vector<SkippedOddsFile>& skipped);

} // namespace velmora
