#pragma once

#include <csignal>

namespace velmora {

// SIGINT and SIGTERM as a file descriptor to poll, instead of handlers that
// could strike in the middle of a write: while the object lives the two
// signals are blocked for the calling thread (create it before any other
// thread) and queue up on Fd(). On destruction the queued ones are consumed
// and the old signal mask comes back, so nothing fires late.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }

    // The number of the signal that arrived first and is not taken yet, 0 when none.
    int Take();

private:
    sigset_t previous_{};
    int fd_ = -1;
};

} // namespace velmora
