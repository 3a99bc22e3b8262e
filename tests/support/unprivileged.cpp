#include "support/unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace velmora::test {
namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

} // namespace

int RunUnprivileged(const std::function<int()>& check) {
    if (geteuid() != 0) {
        return check();
    }
    std::fflush(nullptr); // nothing buffered is written twice
    pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(kNoGroup) != 0 || setuid(kNobody) != 0) {
            _exit(255);
        }
        _exit(check() & 0xFF);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    int code = WEXITSTATUS(status);
    return code == 255 ? -1 : code;
}

} // namespace velmora::test
