#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// One event of a watched folder: what happened (IN_* bits) and to which entry.
struct FolderEvent {
    int watch = -1; // -1 for a queue overflow
    std::uint32_t mask = 0;
    std::string name; // empty for the watched folder itself
};

// An inotify instance, closed when the object goes. Non-blocking: the owner
// waits for it with poll() on Fd().
class Inotify {
public:
    Inotify();
    ~Inotify();
    Inotify(const Inotify&) = delete;
    Inotify& operator=(const Inotify&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    // The errno of the failed start, when not open.
    int OpenError() const { return openError_; }

    // The watch descriptor, or -1 with errno set.
    int AddWatch(const std::string& path, std::uint32_t mask);
    void RemoveWatch(int watch);

    // The events queued now, from one read: empty when there are none. A
    // burst is taken in bounded slices, so memory stays small however many
    // changes arrive.
    std::vector<FolderEvent> ReadEvents();

private:
    int fd_ = -1;
    int openError_ = 0;
};

} // namespace velmora
