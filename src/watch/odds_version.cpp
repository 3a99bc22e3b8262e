#include "watch/odds_version.h"

#include "common/text.h"
#include "patdata/file_naming.h"
#include "patdata/pat_file.h"
#include "patdata/quinella_odds.h"
#include "patdata/record_reader.h"
#include "patdata/records.h"
#include "patdata/win_place_odds.h"

#include <algorithm>
#include <memory>

namespace velmora {
namespace {

// FNV-1a: cheap, and plenty to tell two versions of a small file apart.
std::uint64_t Hash64(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return hash;
}

class Fingerprint {
public:
    Fingerprint& Add(std::string_view text) {
        for (char c : text) {
            hash_ = (hash_ ^ static_cast<unsigned char>(c)) * 16777619U;
        }
        // A separator, so that "1.2"+"3" and "1.23"+"" differ.
        hash_ = (hash_ ^ 0xFFU) * 16777619U;
        return *this;
    }
    std::uint32_t Value() const { return hash_; }

private:
    std::uint32_t hash_ = 2166136261U;
};

int ClampedRunnerCount(const RaceHeader& header) {
    return std::clamp(CountFromField(header.RunnerCount), 0, kMaxRunners);
}

// Position of pair (i, j), 1 <= i < j <= n, in the row-by-row order of the file.
std::size_t PairIndex(int i, int j, int n) {
    return static_cast<std::size_t>((i - 1) * n - i * (i - 1) / 2 + (j - i - 1));
}

std::optional<ParsedOddsFile> ParseWinPlace(std::string_view bytes, MessageSink& messages) {
    PatFile file(PatFile::Contents{bytes});
    auto record = std::make_unique<RaceRecord>();
    if (!ReadWinPlaceOdds(file, *record, messages)) {
        return std::nullopt;
    }
    ParsedOddsFile parsed{record->Header, {}};
    parsed.version.runnerCount = ClampedRunnerCount(record->Header);
    for (int i = 1; i <= parsed.version.runnerCount; ++i) {
        const RunnerOdds& runner = record->Runners[static_cast<std::size_t>(i)];
        parsed.version.entries.push_back(
            Fingerprint().Add(runner.WinOdds).Add(runner.PlaceOddsMin).Add(runner.PlaceOddsMax).Value());
    }
    return parsed;
}

std::optional<ParsedOddsFile> ParseQuinella(std::string_view bytes, MessageSink& messages) {
    PatFile file(PatFile::Contents{bytes});
    // The record is some 50 KB of texts: on the heap, not the stack.
    auto record = std::make_unique<QuinellaRecord>();
    if (!ReadQuinellaOdds(file, *record, messages)) {
        return std::nullopt;
    }
    ParsedOddsFile parsed{record->Header, {}};
    const int n = ClampedRunnerCount(record->Header);
    parsed.version.runnerCount = n;
    for (int i = 1; i < n; ++i) {
        for (int j = i + 1; j <= n; ++j) {
            const PairOdds& cell = record->Cells[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
            parsed.version.entries.push_back(Fingerprint().Add(cell.QuinellaOdds).Value());
        }
    }
    return parsed;
}

std::optional<std::uint32_t> RunnerEntry(const VersionFingerprint& version, int runner) {
    if (runner > version.runnerCount || static_cast<std::size_t>(runner) > version.entries.size()) {
        return std::nullopt;
    }
    return version.entries[static_cast<std::size_t>(runner - 1)];
}

std::optional<std::uint32_t> PairEntry(const VersionFingerprint& version, int i, int j) {
    if (j > version.runnerCount) {
        return std::nullopt;
    }
    std::size_t index = PairIndex(i, j, version.runnerCount);
    if (index >= version.entries.size()) {
        return std::nullopt;
    }
    return version.entries[index];
}

} // namespace

std::optional<ParsedOddsFile> ParseOddsFile(OddsFileKind kind, std::string_view bytes,
                                            MessageSink& messages) {
    std::optional<ParsedOddsFile> parsed =
        kind == OddsFileKind::WinPlace ? ParseWinPlace(bytes, messages) : ParseQuinella(bytes, messages);
    if (parsed) {
        parsed->version.contentHash = Hash64(bytes);
    }
    return parsed;
}

std::vector<int> ChangedRunners(const VersionFingerprint& before, const VersionFingerprint& after) {
    std::vector<int> changed;
    const int last = std::max(before.runnerCount, after.runnerCount);
    for (int runner = 1; runner <= last; ++runner) {
        if (RunnerEntry(before, runner) != RunnerEntry(after, runner)) {
            changed.push_back(runner);
        }
    }
    return changed;
}

std::vector<std::pair<int, int>> ChangedPairs(const VersionFingerprint& before,
                                              const VersionFingerprint& after) {
    std::vector<std::pair<int, int>> changed;
    const int last = std::max(before.runnerCount, after.runnerCount);
    for (int i = 1; i < last; ++i) {
        for (int j = i + 1; j <= last; ++j) {
            if (PairEntry(before, i, j) != PairEntry(after, i, j)) {
                changed.emplace_back(i, j);
            }
        }
    }
    return changed;
}

std::vector<int> RunnersOfPairs(const std::vector<std::pair<int, int>>& pairs) {
    std::vector<int> runners;
    for (const auto& [i, j] : pairs) {
        runners.push_back(i);
        runners.push_back(j);
    }
    std::sort(runners.begin(), runners.end());
    runners.erase(std::unique(runners.begin(), runners.end()), runners.end());
    return runners;
}

} // namespace velmora
