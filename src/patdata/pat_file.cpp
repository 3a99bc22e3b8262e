#include "patdata/pat_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace velmora {
namespace {

// Opens without blocking (a FIFO would otherwise wait for a writer) and keeps
// the descriptor only when it names an ordinary file.
int OpenOrdinaryFile(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) {
        return -1;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

PatFile::PatFile(const std::string& path) : fd_(OpenOrdinaryFile(path)) {}

PatFile::~PatFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool PatFile::Read(std::size_t count, std::string& bytes) {
    if (fd_ < 0 || failed_) {
        return false;
    }
    std::string buffer(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        ssize_t got = ::read(fd_, buffer.data() + done, count - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            failed_ = true;
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    bytes = std::move(buffer);
    return true;
}

} // namespace velmora
