#pragma once

#include <functional>

namespace velmora::test {

// Runs `check` as a user that permission bits apply to, and returns its
// result (0 ... 255). The superuser reads any folder, so there it runs in a
// child process that has become "nobody"; -1 when that can't be arranged.
int RunUnprivileged(const std::function<int()>& check);

} // namespace velmora::test
