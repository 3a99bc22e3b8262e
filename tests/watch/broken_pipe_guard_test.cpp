#include "watch/broken_pipe_guard.h"

#include <gtest/gtest.h>

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

bool IsPending(int signal) {
    sigset_t pending;
    sigpending(&pending);
    return sigismember(&pending, signal) == 1;
}

// Without the guard this test process would die of the write.
TEST(BrokenPipeGuard, AWriteNobodyReadsFailsWithEpipeAndNoSignalIsLeftBehind) {
    struct sigaction action {};
    ASSERT_EQ(sigaction(SIGPIPE, nullptr, &action), 0);
    ASSERT_EQ(action.sa_handler, SIG_DFL);
    ASSERT_FALSE(IsBlocked(SIGPIPE));
    int fds[2] = {-1, -1};
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    {
        BrokenPipeGuard guard;
        errno = 0;
        EXPECT_EQ(write(fds[1], "x", 1), -1);
        EXPECT_EQ(errno, EPIPE);
    }
    close(fds[1]);
    EXPECT_FALSE(IsBlocked(SIGPIPE));
    EXPECT_FALSE(IsPending(SIGPIPE));
}

} // namespace
} // namespace velmora
