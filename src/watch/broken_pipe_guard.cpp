#include "watch/broken_pipe_guard.h"

#include <pthread.h>

#include <ctime>

namespace velmora {
namespace {

sigset_t PipeSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

bool IsPending() {
    sigset_t pending;
    sigemptyset(&pending);
    return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

} // namespace

BrokenPipeGuard::BrokenPipeGuard() : wasPending_(IsPending()) {
    const sigset_t set = PipeSet();
    pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

BrokenPipeGuard::~BrokenPipeGuard() {
    // One raised before the guard was someone else's; ours are consumed.
    if (!wasPending_ && IsPending()) {
        const sigset_t set = PipeSet();
        const timespec now{0, 0};
        sigtimedwait(&set, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

} // namespace velmora
