#include "common/messages.h"
#include "patdata/entry_file.h"
#include "patdata/pat_bytes.h"
#include "patdata/quinella_odds.h"
#include "patdata/race_header_fixture.h"
#include "patdata/win_place_odds.h"
#include "results/result_file.h"
#include "support/temp_dir.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include <gtest/gtest.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// What a write, a truncation, a touch or a chmod would change about a file.
struct FileState {
    std::string bytes;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileState& other) const {
        return bytes == other.bytes && size == other.size && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec && changed.tv_sec == other.changed.tv_sec &&
               changed.tv_nsec == other.changed.tv_nsec;
    }
};

std::map<std::string, FileState> FolderState(const fs::path& folder) {
    std::map<std::string, FileState> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        struct stat info {};
        EXPECT_EQ(::lstat(entry.path().c_str(), &info), 0) << entry.path();
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = {
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), info.st_size,
            info.st_mtim, info.st_ctim};
    }
    return files;
}

// Moves a file's modification time well into the past, so that any write shows.
void Age(const fs::path& path) {
    const std::array<timeval, 2> times{timeval{1'000'000'000, 0}, timeval{1'000'000'000, 0}};
    ASSERT_EQ(::utimes(path.c_str(), times.data()), 0) << path;
}

// Every open, write and close inside a folder as the kernel reports it: a file
// opened for writing closes with IN_CLOSE_WRITE even when nothing was written.
class FolderWatch {
public:
    explicit FolderWatch(const fs::path& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        EXPECT_GE(fd_, 0);
        EXPECT_GE(::inotify_add_watch(fd_, folder.c_str(), IN_ALL_EVENTS), 0) << folder;
    }
    ~FolderWatch() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // The event masks seen so far, per file name ("" for the folder itself).
    std::map<std::string, std::uint32_t> Events() {
        std::map<std::string, std::uint32_t> events;
        alignas(inotify_event) std::array<char, 64 * 1024> buffer{};
        for (ssize_t length = 0; (length = ::read(fd_, buffer.data(), buffer.size())) > 0;) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                events[event->len > 0 ? std::string(event->name) : std::string()] |= event->mask;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return events;
    }

private:
    int fd_;
};

constexpr std::uint32_t kChanges =
    IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

// Every reader, on a good file, a short one and one of the wrong format, opens
// the files it reads for reading only, leaves their bytes, size and times
// alone and adds nothing to the folder.
TEST(PatReaders, NeverChangeAFileOrTheFolder) {
    struct Reader {
        const char* name;
        bool opensTheFile;
        std::function<void(const std::string&)> read;
    };
    const Reader readers[] = {
        {"win/place odds", true,
         [](const std::string& path) {
             RecordingMessageSink sink;
             RaceRecord record;
             ReadWinPlaceOdds(path, record, sink);
         }},
        {"race file header", true,
         [](const std::string& path) {
             RecordingMessageSink sink;
             RaceHeader header;
             ReadRaceFileHeader(path, header, sink);
         }},
        {"quinella odds", true,
         [](const std::string& path) {
             RecordingMessageSink sink;
             QuinellaRecord record;
             ReadQuinellaOdds(path, record, sink);
         }},
        {"entry file", true,
         [](const std::string& path) {
             EntryRecord record;
             ReadEntryFile(path, record);
         }},
        {"result file", true,
         [](const std::string& path) {
             ResultRecord record;
             ReadResultFile(path, record);
         }},
        {"result file name", false, [](const std::string& path) { ResultFileName(path); }},
    };
    std::string wrongFormat = test::RaceHeaderBytes("9", " 2");
    const std::pair<const char*, std::string> contents[] = {
        {"good", test::RaceHeaderBytes("2", " 2") + std::string(800, '5')},
        {"short", test::RaceHeaderBytes("2", " 2").substr(0, 100)},
        {"wrong format", wrongFormat + std::string(800, '5')},
    };
    const std::string names[] = {"Zo-ABCDEF.jra", "Ks-A12BCDEF.jra"};
    for (const Reader& reader : readers) {
        for (const auto& [kind, bytes] : contents) {
            SCOPED_TRACE(std::string(reader.name) + ", " + kind);
            test::TempDir dir;
            for (const std::string& name : names) {
                dir.Write(name, bytes);
                Age(dir.path() / name);
            }
            const auto before = FolderState(dir.path());
            FolderWatch watch(dir.path());

            for (const std::string& name : names) {
                reader.read((dir.path() / name).string());
            }

            std::map<std::string, std::uint32_t> events = watch.Events();
            EXPECT_EQ(FolderState(dir.path()), before);
            for (const auto& [name, mask] : events) {
                EXPECT_EQ(mask & kChanges, 0U) << "'" << name << "' changed: mask " << std::hex << mask;
            }
            if (reader.opensTheFile) {
                for (const std::string& name : names) {
                    EXPECT_NE(events[name] & IN_CLOSE_NOWRITE, 0U) << name << " was never read";
                }
            }
        }
    }
}

} // namespace
} // namespace velmora
