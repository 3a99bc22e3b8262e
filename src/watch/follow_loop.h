#pragma once

#include "watch/folder_follower.h"

namespace velmora {

enum class FollowEnd { Stopped, OutputClosed, Failed };

// Runs the follower until `stopFd` turns readable, then reads what is still
// waiting to settle and returns. Once the follower's sink is closed no new
// event is taken: what is waiting is recorded, unreported, and the loop ends
// with OutputClosed. Sleeps in poll() between events; Failed only when poll
// itself fails.
FollowEnd RunFollowLoop(FolderFollower& follower, int stopFd);

} // namespace velmora
