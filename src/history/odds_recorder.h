#pragma once

#include "patdata/file_naming.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// One reading of a race's win/place ("Zo-") or quinella ("Uo-") odds file: its
// bytes as they stood, the file's modification time and the time the program
// read it, both in milliseconds since the Unix epoch.
struct SeenFile {
    std::string path;
    std::string bytes;
    std::int64_t modifiedMs = 0;
    std::int64_t seenMs = 0;
};

enum class RecordOutcome {
    Added,      // a version not held before
    Unchanged,  // the same bytes as the race's latest version of that file
    NotRecorded // not an odds file, unreadable, or the history is unavailable
};

// Where every version of the odds files goes; the front ends hand one to
// whatever reads odds files, so that a missing or broken history never stops
// them from working.
class OddsRecorder {
public:
    virtual ~OddsRecorder() = default;
    virtual RecordOutcome Record(const SeenFile& file) = 0;
};

// Keeps nothing: for front ends run without a history.
class NullRecorder : public OddsRecorder {
public:
    RecordOutcome Record(const SeenFile&) override { return RecordOutcome::NotRecorded; }
};

// Real odds files hold a few kilobytes; anything far bigger is not one.
inline constexpr std::size_t kMaxOddsFileBytes = 1 << 20;

// Reads the file at `path` with its modification time; nothing when it can't
// be read, is no ordinary file (a pipe would block the read) or is larger than
// kMaxOddsFileBytes.
std::optional<SeenFile> ReadSeenFile(const std::string& path, std::int64_t seenMs);

// The modification time of the file at `path` as the history holds it;
// nothing when the file can't be looked at.
std::optional<std::int64_t> FileModifiedMs(const std::string& path);

// Records the win/place odds file at `oddsPath` and the race's quinella odds
// file beside it, each when it can be read.
void RecordRaceFiles(OddsRecorder& recorder, const std::string& oddsPath, std::int64_t seenMs);

// Milliseconds since the Unix epoch now, for `seenMs`.
std::int64_t WallClockMs();

// The times the history takes and gives back: within a hundred years of the
// Unix epoch either way. Anything beyond is a broken clock or a broken row,
// and arithmetic on it could overflow.
inline constexpr std::int64_t kMaxPlausibleTimeMs = 36525LL * 24 * 60 * 60 * 1000;
inline bool IsPlausibleTimeMs(std::int64_t ms) {
    return ms >= -kMaxPlausibleTimeMs && ms <= kMaxPlausibleTimeMs;
}

// Seconds and nanoseconds as milliseconds, held at the int64 limits rather
// than overflowing.
std::int64_t SaturatedMs(std::int64_t seconds, std::int64_t nanoseconds);

} // namespace velmora
