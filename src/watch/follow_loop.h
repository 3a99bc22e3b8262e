#pragma once

#include "watch/folder_follower.h"

namespace velmora {

enum class FollowEnd { Stopped, Failed };

// Runs the follower until `stopFd` turns readable, then reads what is still
// waiting to settle and returns. Sleeps in poll() between events; Failed only
// when poll itself fails.
FollowEnd RunFollowLoop(FolderFollower& follower, int stopFd);

} // namespace velmora
