#include "watch/follow_loop.h"

#include <poll.h>

#include <array>
#include <cerrno>

namespace velmora {

FollowEnd RunFollowLoop(FolderFollower& follower, int stopFd) {
    for (;;) {
        std::array<pollfd, 2> fds{{{stopFd, POLLIN, 0}, {follower.Fd(), POLLIN, 0}}};
        const int ready = poll(fds.data(), fds.size(), follower.WaitTimeoutMs());
        if (ready < 0 && errno != EINTR) {
            return FollowEnd::Failed;
        }
        if (ready > 0 && fds[0].revents != 0) {
            // Events already queued may hold the last version written before the stop.
            follower.TakeEvents();
            follower.HandleAllWaiting();
            return FollowEnd::Stopped;
        }
        if (ready > 0 && fds[1].revents != 0) {
            follower.TakeEvents();
        }
        follower.HandleSettled();
        if (follower.IsSinkClosed()) {
            follower.HandleAllWaiting();
            return FollowEnd::OutputClosed;
        }
    }
}

} // namespace velmora
