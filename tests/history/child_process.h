#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace velmora::test {

// A program started with fork and exec whose standard output comes back
// through a pipe; killed and reaped when the object goes, if still running.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads the child's output until `count` bytes have come; false when it
    // closed its output first.
    bool ReadBytes(std::size_t count);
    void Kill(int signal);
    // The exit status, or -signal when a signal ended it.
    int Wait();

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

} // namespace velmora::test
