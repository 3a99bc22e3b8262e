// Memory and CPU of `velmora-cli watch` over a large PAT folder: its resident
// size after reading 10,000 races, the CPU it uses while nothing changes, and
// its size after 1,000 changes within one second. Prints the figures; run by
// hand (the build passes the path of velmora-cli):
//
//     build/ci/bin/velmora_watch_bench [RACES] [IDLE_SECONDS]
#include "pat_fixture.h"
#include "scratch_folder.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using velmora::patfixture::Race;

using velmora::bench::ScratchFolder;

Race BenchRace(int index, const std::string& favouriteOdds) {
    Race race;
    race.fileId = std::to_string(10000000 + index) + ".jra";
    race.raceNo = 1 + index % 12;
    race.meetingDay = 1 + index / 12 % 12;
    race.runners =
        velmora::patfixture::RunnersWithOdds({favouriteOdds, "4.1", "6.3", "8.8", "11.2", "14.9", "19.5",
                                              "25.0", "33.3", "41.7", "55.2", "70.4", "88.8", "99.9"});
    return race;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

long StatusKb(pid_t pid, const std::string& key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key + ":", 0) == 0) {
            return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
        }
    }
    return -1;
}

// User plus system CPU time of the process, in clock ticks.
long CpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14) {
            utime = std::stol(field);
        } else if (index == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return utime + stime;
}

// velmora-cli watch with its output going to files in the scratch folder.
pid_t StartWatch(const std::string& cli, const fs::path& folder, const fs::path& logs) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (logs / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (logs / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> args = {cli, "watch", folder.string()};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot start " + cli);
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

std::size_t LineCount(const fs::path& file) {
    std::ifstream in(file);
    std::size_t lines = 0;
    for (std::string line; std::getline(in, line);) {
        ++lines;
    }
    return lines;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int races = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
    constexpr int kChanges = 1000;
    ScratchFolder scratch;
    const fs::path folder = scratch.path() / "pat";
    fs::create_directory(folder);
    for (int i = 0; i < races; ++i) {
        const Race race = BenchRace(i, "2.5");
        WriteFile(folder / velmora::patfixture::OddsFileName(race),
                  velmora::patfixture::WinPlaceOddsBytes(race));
        WriteFile(folder / velmora::patfixture::QuinellaFileName(race),
                  velmora::patfixture::QuinellaOddsBytes(race));
    }
    // The new versions are written beforehand beside the folder, so that the
    // burst is only the renames over the old files, the way PAT ends a write.
    const fs::path staged = scratch.path() / "staged";
    std::vector<std::string> changes;
    for (int i = 0; i < kChanges; ++i) {
        const Race race = BenchRace(i % races, std::to_string(3 + i / races) + ".0");
        changes.push_back(std::to_string(i) + "/" + velmora::patfixture::OddsFileName(race));
        fs::create_directories(staged / std::to_string(i));
        WriteFile(staged / changes.back(), velmora::patfixture::WinPlaceOddsBytes(race));
    }

    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = StartWatch(VELMORA_CLI_EXECUTABLE, folder, scratch.path());
    if (!WaitFor([&] { return LineCount(scratch.path() / "err") > 0; }, std::chrono::seconds(600))) {
        std::cerr << "velmora-cli watch did not start\n";
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return 1;
    }
    const double startSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const long startRss = StatusKb(pid, "VmRSS");
    const long startTicks = CpuTicks(pid);

    const long idleFrom = CpuTicks(pid);
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const long idleTicks = CpuTicks(pid) - idleFrom;

    const auto burstStart = std::chrono::steady_clock::now();
    for (const std::string& change : changes) {
        fs::rename(staged / change, folder / fs::path(change).filename());
    }
    const double burstSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - burstStart).count();
    WaitFor(
        [&] {
            return LineCount(scratch.path() / "out") >= static_cast<std::size_t>(std::min(kChanges, races));
        },
        std::chrono::seconds(60));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long afterRss = StatusKb(pid, "VmRSS");
    const long peakRss = StatusKb(pid, "VmHWM");
    const std::size_t reported = LineCount(scratch.path() / "out");

    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);

    std::printf("races: %d (%d odds files)\n", races, 2 * races);
    const double tick = 1.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    std::printf("start-up scan: %.2f s (%.2f s of CPU)\n", startSeconds,
                static_cast<double>(startTicks) * tick);
    std::printf("resident after start: %.1f MB\n", static_cast<double>(startRss) / 1024.0);
    std::printf("CPU over %d s idle: %ld ticks (%.3f s)\n", idleSeconds, idleTicks,
                static_cast<double>(idleTicks) * tick);
    std::printf("%d changes written in %.2f s, %zu lines reported\n", kChanges, burstSeconds, reported);
    std::printf("resident after the changes: %.1f MB (peak %.1f MB)\n",
                static_cast<double>(afterRss) / 1024.0, static_cast<double>(peakRss) / 1024.0);
    std::printf("exit on SIGTERM: %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}
