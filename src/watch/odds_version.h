#pragma once

#include "common/messages.h"
#include "history/odds_recorder.h"
#include "sheet/quinella_table.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

// What the follower keeps of one version of an odds file: enough to tell a new
// version and which odds moved, far less than the bytes (a folder of 10,000
// races stays small).
struct VersionFingerprint {
    std::uint64_t contentHash = 0;
    int runnerCount = 0;
    // One fingerprint per runner (win/place) or per pair (i, j), i < j, row by
    // row (quinella): (1,2) … (1,n), (2,3) … (n-1,n).
    std::vector<std::uint32_t> entries;
};

struct ParsedOddsFile {
    RaceHeader header;
    VersionFingerprint version;
};

// Reads a whole odds file from its bytes. Nothing when the bytes are not a
// complete file of that kind (short, a wrong format marker, too many
// runners): the file is most likely caught in the middle of a write. The
// reader's message, if any, goes to `messages`.
std::optional<ParsedOddsFile> ParseOddsFile(OddsFileKind kind, std::string_view bytes, MessageSink& messages);

// Runners whose win or place odds differ between two versions of a
// win/place odds file; a runner present in one version only counts as changed.
std::vector<int> ChangedRunners(const VersionFingerprint& before, const VersionFingerprint& after);

// Pairs whose quinella odds differ between two versions of a quinella odds
// file, smaller runner first, and the runners that appear in them.
std::vector<std::pair<int, int>> ChangedPairs(const VersionFingerprint& before,
                                              const VersionFingerprint& after);
std::vector<int> RunnersOfPairs(const std::vector<std::pair<int, int>>& pairs);

} // namespace velmora
