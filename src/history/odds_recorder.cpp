#include "history/odds_recorder.h"

#include "common/text.h"
#include "patdata/file_naming.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>

namespace velmora {

namespace {

// Closes the file however the read ends.
class OpenFile {
public:
    explicit OpenFile(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~OpenFile() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

std::int64_t ModifiedMs(const struct stat& status) {
    return SaturatedMs(status.st_mtim.tv_sec, status.st_mtim.tv_nsec);
}

bool ReadAll(int fd, std::string& bytes) {
    char buffer[8192];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > kMaxOddsFileBytes) {
            return false; // grew while being read
        }
    }
}

} // namespace

std::optional<SeenFile> ReadSeenFile(const std::string& path, std::int64_t seenMs) {
    const OpenFile file(path);
    struct stat status {};
    // The time is taken before the bytes: a write landing between the two
    // then shows up as a newer version next time instead of hiding behind an
    // older time.
    if (file.fd() < 0 || fstat(file.fd(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::uintmax_t>(status.st_size) > kMaxOddsFileBytes) {
        return std::nullopt;
    }
    SeenFile seen;
    seen.path = path;
    seen.modifiedMs = ModifiedMs(status);
    seen.seenMs = seenMs;
    if (!ReadAll(file.fd(), seen.bytes)) {
        return std::nullopt;
    }
    return seen;
}

std::optional<std::int64_t> FileModifiedMs(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return ModifiedMs(status);
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

std::int64_t SaturatedMs(std::int64_t seconds, std::int64_t nanoseconds) {
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMostSeconds = kLimit / 1000 - 1;
    if (seconds > kMostSeconds) {
        return kLimit;
    }
    if (seconds < -kMostSeconds) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return seconds * 1000 + nanoseconds / 1000000;
}

std::int64_t WallClockMs() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

} // namespace velmora
