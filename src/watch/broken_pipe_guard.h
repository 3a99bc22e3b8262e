#pragma once

#include <csignal>

namespace velmora {

// A write to a pipe whose reader went away as an error the writer sees
// (EPIPE), instead of SIGPIPE ending the program before it has kept what it
// holds: while the object lives SIGPIPE is blocked for the calling thread
// (create it before any other thread). On destruction a SIGPIPE raised
// meanwhile is consumed and the old signal mask comes back, so nothing fires
// late.
class BrokenPipeGuard {
public:
    BrokenPipeGuard();
    ~BrokenPipeGuard();
    BrokenPipeGuard(const BrokenPipeGuard&) = delete;
    BrokenPipeGuard& operator=(const BrokenPipeGuard&) = delete;

private:
    sigset_t previous_{};
    bool wasPending_ = false;
};

} // namespace velmora
