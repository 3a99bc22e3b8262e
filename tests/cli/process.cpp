#include "process.h"

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace velmora::test {
namespace {

struct Pipe {
    std::array<int, 2> fds{-1, -1};
    Pipe() {
        if (pipe(fds.data()) != 0) {
            throw std::runtime_error("pipe failed");
        }
    }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void CloseRead() { Close(fds[0]); }
    void CloseWrite() { Close(fds[1]); }
    static void Close(int& fd) {
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    }
};

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text(*entry);
        std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& e : extra) {
            replaced = replaced || e.substr(0, e.find('=')) == name;
        }
        if (!replaced) {
            merged.push_back(text);
        }
    }
    merged.insert(merged.end(), extra.begin(), extra.end());
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Starts `program` with the three pipes' far ends as its standard input,
// output and error.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::string>& environment, Pipe& in, Pipe& out, Pipe& err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.fds[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out.fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err.fds[1], 2);
    for (int fd : {in.fds[0], in.fds[1], out.fds[0], out.fds[1], err.fds[0], err.fds[1]}) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = MergedEnvironment(environment);
    auto argPointers = Pointers(argv);
    auto envPointers = Pointers(envp);
    // As a shell starts it: a SIGPIPE this process ignores (RunProcess does)
    // must not be handed down.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    int spawned =
        posix_spawn(&pid, program.c_str(), &actions, &attributes, argPointers.data(), envPointers.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(spawned));
    }
    return pid;
}

} // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment, const std::string& input) {
    Pipe in, out, err;
    const pid_t pid = Spawn(program, args, environment, in, out, err);
    in.CloseRead();
    out.CloseWrite();
    err.CloseWrite();

    // Feed the input and drain both outputs together so that no pipe fills up.
    std::signal(SIGPIPE, SIG_IGN);
    ProcessResult result;
    std::size_t written = 0;
    if (input.empty()) {
        in.CloseWrite();
    }
    while (out.fds[0] >= 0 || err.fds[0] >= 0) {
        std::array<pollfd, 3> polls{
            {{out.fds[0], POLLIN, 0}, {err.fds[0], POLLIN, 0}, {in.fds[1], POLLOUT, 0}}};
        if (poll(polls.data(), polls.size(), 30000) <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        std::array<char, 4096> buffer{};
        for (std::size_t i = 0; i < 2; ++i) {
            if (polls[i].revents == 0) {
                continue;
            }
            ssize_t n = read(polls[i].fd, buffer.data(), buffer.size());
            if (n <= 0) {
                Pipe::Close(i == 0 ? out.fds[0] : err.fds[0]);
            } else {
                (i == 0 ? result.out : result.err).append(buffer.data(), static_cast<std::size_t>(n));
            }
        }
        if (polls[2].revents != 0) {
            ssize_t n = write(in.fds[1], input.data() + written, input.size() - written);
            if (n <= 0 || (written += static_cast<std::size_t>(n)) == input.size()) {
                in.CloseWrite();
            }
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace velmora::test

namespace velmora::test {
namespace {

using SteadyClock = std::chrono::steady_clock;

int MsUntil(SteadyClock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

} // namespace

RunningProcess::RunningProcess(const std::string& program, const std::vector<std::string>& args,
                               const std::vector<std::string>& environment) {
    Pipe in, out, err;
    pid_ = Spawn(program, args, environment, in, out, err);
    std::swap(outFd_, out.fds[0]);
    std::swap(errFd_, err.fds[0]);
}

RunningProcess::~RunningProcess() {
    if (!reaped_) {
        kill(pid_, SIGKILL);
        while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    Pipe::Close(outFd_);
    Pipe::Close(errFd_);
}

void RunningProcess::Pump(int timeoutMs) {
    std::array<pollfd, 2> polls{{{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}}};
    if (outFd_ < 0 && errFd_ < 0) {
        return;
    }
    if (poll(polls.data(), polls.size(), timeoutMs) <= 0) {
        return;
    }
    std::array<char, 4096> buffer{};
    for (std::size_t i = 0; i < polls.size(); ++i) {
        if (polls[i].revents == 0) {
            continue;
        }
        int& fd = i == 0 ? outFd_ : errFd_;
        ssize_t n = read(fd, buffer.data(), buffer.size());
        if (n <= 0) {
            Pipe::Close(fd);
        } else {
            (i == 0 ? out_ : err_).append(buffer.data(), static_cast<std::size_t>(n));
        }
    }
}

std::optional<std::string> RunningProcess::ReadLine(int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::size_t end = out_.find('\n');
        if (end != std::string::npos) {
            std::string line = out_.substr(0, end);
            out_.erase(0, end + 1);
            return line;
        }
        if (outFd_ < 0 || SteadyClock::now() >= deadline) {
            return std::nullopt;
        }
        Pump(MsUntil(deadline));
    }
}

bool RunningProcess::WaitForError(std::string_view text, int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (err_.find(text) == std::string::npos) {
        if (errFd_ < 0 || SteadyClock::now() >= deadline) {
            return false;
        }
        Pump(MsUntil(deadline));
    }
    return true;
}

void RunningProcess::Signal(int signal) {
    if (!reaped_) {
        kill(pid_, signal);
    }
}

bool RunningProcess::Pause() {
    if (reaped_ || kill(pid_, SIGSTOP) != 0) {
        return false;
    }
    int status = 0;
    pid_t done = -1;
    while ((done = waitpid(pid_, &status, WUNTRACED)) < 0 && errno == EINTR) {
    }
    if (done == pid_ && !WIFSTOPPED(status)) {
        reaped_ = true; // it ended before it could be stopped
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return done == pid_ && WIFSTOPPED(status);
}

void RunningProcess::CloseOutput() {
    Pipe::Close(outFd_);
}

int RunningProcess::Wait(int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while ((outFd_ >= 0 || errFd_ >= 0) && SteadyClock::now() < deadline) {
        Pump(MsUntil(deadline));
    }
    if (reaped_) {
        return exitCode_;
    }
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && SteadyClock::now() < deadline) {
        poll(nullptr, 0, 10);
    }
    if (done != pid_) {
        return -1;
    }
    reaped_ = true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exitCode_;
}

} // namespace velmora::test
