#include "patdata/pat_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
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

PatFile::PatFile(Contents contents)
    : inMemory_(true), end_(contents.bytes.size()), data_(contents.bytes.data()) {}

PatFile::~PatFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool PatFile::Fail() {
    failed_ = true;
    begin_ = end_ = 0;
    return false;
}

bool PatFile::Fill(std::size_t count) {
    bool error = false;
    return Fill(count, error);
}

bool PatFile::Fill(std::size_t count, bool& error) {
    if (end_ - begin_ >= count) {
        return true;
    }
    if (inMemory_ || count > buffer_.size()) {
        return false; // the bytes given were the whole file, or the buffer is too small
    }
    // Move what is left of the previous chunk to the front, then top up.
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    while (end_ < count) {
        ssize_t got = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            error = got < 0;
            return false;
        }
        end_ += static_cast<std::size_t>(got);
    }
    return true;
}

bool PatFile::ReadViewAfterFill(std::size_t count, std::string_view& bytes) {
    if (!IsOpen() || failed_) {
        return false;
    }
    if (!Fill(count)) {
        return Fail();
    }
    bytes = std::string_view(data_ + begin_, count);
    begin_ += count;
    return true;
}

bool PatFile::Read(std::size_t count, std::string& bytes) {
    if (!IsOpen() || failed_) {
        return false;
    }
    std::string taken;
    taken.reserve(count);
    while (taken.size() < count) {
        std::size_t part = std::min(count - taken.size(), buffer_.size());
        if (!Fill(part)) {
            return Fail();
        }
        taken.append(data_ + begin_, part);
        begin_ += part;
    }
    bytes = std::move(taken);
    return true;
}

bool PatFile::ReadAtMost(std::size_t count, std::string& bytes) {
    bytes.clear();
    if (!IsOpen() || failed_) {
        return false;
    }
    count = std::min(count, buffer_.size());
    bool error = false;
    bool read = Fill(count, error) || !error;
    std::size_t taken = std::min(count, end_ - begin_);
    bytes.assign(data_ + begin_, taken);
    begin_ += taken;
    return read || Fail();
}

} // namespace velmora
