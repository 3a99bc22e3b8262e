#include "watch/inotify.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace velmora {

Inotify::Inotify() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ < 0) {
        openError_ = errno;
    }
}

Inotify::~Inotify() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

int Inotify::AddWatch(const std::string& path, std::uint32_t mask) {
    return inotify_add_watch(fd_, path.c_str(), mask);
}

void Inotify::RemoveWatch(int watch) {
    // A watch the kernel dropped already (its folder is gone) fails with
    // EINVAL; there is nothing left to remove then.
    if (watch >= 0) {
        inotify_rm_watch(fd_, watch);
    }
}

std::vector<FolderEvent> Inotify::ReadEvents() {
    std::vector<FolderEvent> events;
    // Aligned for the event headers; room for a few hundred events at a time.
    alignas(inotify_event) std::array<char, 16 * 1024> buffer;
    ssize_t length = -1;
    do {
        length = read(fd_, buffer.data(), buffer.size());
    } while (length < 0 && errno == EINTR);
    for (ssize_t at = 0; length > 0 && at + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
        inotify_event header;
        std::memcpy(&header, buffer.data() + at, sizeof header);
        FolderEvent event;
        event.watch = header.wd;
        event.mask = header.mask;
        if (header.len > 0) {
            // The name is NUL-padded to its length.
            const char* name = buffer.data() + at + sizeof header;
            event.name.assign(name, strnlen(name, header.len));
        }
        events.push_back(std::move(event));
        at += static_cast<ssize_t>(sizeof header + header.len);
    }
    return events;
}

} // namespace velmora
