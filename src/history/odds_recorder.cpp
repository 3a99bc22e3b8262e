#include "history/odds_recorder.h"

#include "patdata/file_naming.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace velmora {

namespace {

std::optional<std::int64_t> ModifiedMs(const std::string& path) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error) {
        return std::nullopt;
    }
    const auto onSystemClock = std::chrono::file_clock::to_sys(written);
    return std::chrono::duration_cast<std::chrono::milliseconds>(onSystemClock.time_since_epoch()).count();
}

} // namespace

std::optional<SeenFile> ReadSeenFile(const std::string& path, std::int64_t seenMs) {
    // The time first: a write landing between the two reads then shows up as a
    // newer version next time instead of hiding behind an older time.
    const auto modified = ModifiedMs(path);
    std::ifstream in(path, std::ios::binary);
    if (!modified || !in) {
        return std::nullopt;
    }
    SeenFile file;
    file.path = path;
    file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    file.modifiedMs = *modified;
    file.seenMs = seenMs;
    return file;
}

void RecordRaceFiles(OddsRecorder& recorder, const std::string& oddsPath, std::int64_t seenMs) {
    for (const std::string& path : {oddsPath, GetQuinellaFileName(oddsPath)}) {
        if (path.empty()) {
            continue;
        }
        if (const auto file = ReadSeenFile(path, seenMs)) {
            recorder.Record(*file);
        }
    }
}

std::int64_t WallClockMs() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

} // namespace velmora
