#include "watch/stop_signals.h"

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>

namespace velmora {
namespace {

sigset_t StopSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

} // namespace

StopSignals::StopSignals() {
    const sigset_t set = StopSet();
    pthread_sigmask(SIG_BLOCK, &set, &previous_);
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

StopSignals::~StopSignals() {
    if (fd_ >= 0) {
        while (Take() != 0) {
        }
        close(fd_);
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

int StopSignals::Take() {
    signalfd_siginfo info{};
    ssize_t length = -1;
    do {
        length = read(fd_, &info, sizeof info);
    } while (length < 0 && errno == EINTR);
    return length == static_cast<ssize_t>(sizeof info) ? static_cast<int>(info.ssi_signo) : 0;
}

} // namespace velmora
