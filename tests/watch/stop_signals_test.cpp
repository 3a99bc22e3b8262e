#include "watch/broken_pipe_guard.h"
#include "watch/stop_signals.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace velmora {
namespace {

bool IsBlocked(int signal) {
    sigset_t current;
    pthread_sigmask(SIG_SETMASK, nullptr, &current);
    return sigismember(&current, signal) == 1;
}

bool IsReadable(int fd) {
    pollfd watched{fd, POLLIN, 0};
    return poll(&watched, 1, 0) == 1;
}

// A stop signal becomes something to read, never a handler that strikes in
// the middle of a write; and one left untaken does not fire once the watch
// is over (this test process would die of it).
TEST(StopSignals, TurnsSigtermAndSigintIntoAReadableDescriptor) {
    ASSERT_FALSE(IsBlocked(SIGTERM));
    {
        StopSignals stop;
        ASSERT_TRUE(stop.IsOpen());
        EXPECT_FALSE(IsReadable(stop.Fd()));
        raise(SIGTERM);
        EXPECT_TRUE(IsReadable(stop.Fd()));
        EXPECT_EQ(stop.Take(), SIGTERM);
        EXPECT_EQ(stop.Take(), 0);
        raise(SIGINT);
        raise(SIGTERM); // left for the destructor
        EXPECT_TRUE(IsReadable(stop.Fd()));
    }
    EXPECT_FALSE(IsBlocked(SIGTERM));
    EXPECT_FALSE(IsBlocked(SIGINT));
}

// A reader that went away is an error to the writer, which can then still
// keep what it holds; without the guard this test process would die of it.
TEST(BrokenPipeGuard, AWriteNobodyReadsFailsWithEpipeAndNoSignalIsLeftBehind) {
    struct sigaction action {};
    ASSERT_EQ(sigaction(SIGPIPE, nullptr, &action), 0);
    ASSERT_TRUE(action.sa_handler == SIG_DFL && !IsBlocked(SIGPIPE));
    int fds[2] = {-1, -1};
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    {
        BrokenPipeGuard guard;
        EXPECT_EQ(write(fds[1], "x", 1), -1);
        EXPECT_EQ(errno, EPIPE);
    }
    close(fds[1]);
    sigset_t pending;
    sigpending(&pending);
    EXPECT_FALSE(sigismember(&pending, SIGPIPE) == 1);
    EXPECT_FALSE(IsBlocked(SIGPIPE));
}

} // namespace
} // namespace velmora
