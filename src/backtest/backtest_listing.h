#pragma once

#include "backtest/backtest_record.h"
#include "browser/listing_problems.h"
#include "common/messages.h"

#include <string>
#include <vector>

namespace velmora {

struct ListedOddsFile {
    std::string name; // without folder
    std::string path; // full path
};

// The win/place odds files of a folder in the file browser's order (course,
// meeting, race). Only the headers are read here and only names are kept:
// each race's file is read again when its race is run, so that a folder of
// any size costs no more memory than its list of names. Unlike the browser, a
// file whose header can't be read does not end the listing: it is left out of
// the order and handed to `unreadable` with its reason, in name order.
// `names` are the folder's odds files as FindOddsFiles gives them.
std::vector<ListedOddsFile> ListOddsFilesInBrowserOrder(const std::string& folder,
                                                        const std::vector<std::string>& names,
                                                        std::vector<SkippedRace>& unreadable);

// The skip reason of an odds file that could not be read, from what its
// reader showed: a wrong format marker is told apart.
SkipReason OddsReadFailure(const RecordingMessageSink& messages);
// The same for a fault the browser's listing found.
SkipReason SkipReasonOf(OddsFileFault fault);

} // namespace velmora
