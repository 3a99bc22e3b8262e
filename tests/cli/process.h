#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::test {

struct ProcessResult {
    int exitCode = -1; // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs a program with the given arguments and extra environment entries
// ("NAME=value", replacing inherited ones), feeding `input` to its standard input.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment, const std::string& input = {});

// A program left running while the test talks to it, its standard input
// empty and its output read as it comes. Killed and reaped when the object
// goes, if it still runs.
class RunningProcess {
public:
    RunningProcess(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& environment);
    ~RunningProcess();
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    // The next line of standard output without its line end; nothing when
    // none is complete within `timeoutMs` or the output has ended.
    std::optional<std::string> ReadLine(int timeoutMs);
    // Waits until standard error holds `text`; false when it doesn't within `timeoutMs`.
    bool WaitForError(std::string_view text, int timeoutMs);
    const std::string& ErrorText() const { return err_; }

    void Signal(int signal);
    // Stops the program (SIGSTOP) and returns once it has stopped, so that
    // what happens meanwhile waits for Signal(SIGCONT); false when it did not stop.
    bool Pause();
    // Closes the read end of standard output, as a reader that goes away does.
    void CloseOutput();
    // Waits for the end, reading the rest of the output (which ReadLine then
    // still returns); the exit code, -1 when killed by a signal or still
    // running after `timeoutMs`.
    int Wait(int timeoutMs);

private:
    // Reads what the pipes hold, waiting at most `timeoutMs` for anything.
    void Pump(int timeoutMs);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
    bool reaped_ = false;
    int exitCode_ = -1;
};

} // namespace velmora::test
