// The back-test over a folder of 10,000 races against the bare cost of
// reading every byte of the same files: the back-test may take at most twice
// as long, and its memory must not grow with the number of races. The same
// races under non-ASCII names may take at most twice as long as under ASCII ones.
#include "backtest/backtest.h"
#include "backtest/backtest_output.h"
#include "backtest/backtest_run.h"

#include "pat_fixture.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <streambuf>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace velmora;

// 10,000 races unless VELMORA_BACKTEST_BENCH_RACES asks for another number
// (handy when profiling).
int RaceCount() {
    static const int count = [] {
        const char* text = std::getenv("VELMORA_BACKTEST_BENCH_RACES");
        int value = text != nullptr ? std::atoi(text) : 0;
        return value > 0 ? value : 10000;
    }();
    return count;
}

// File names as the PAT software writes them, or with a non-ASCII character
// in them, which must be looked up as fast.
enum class Naming { Ascii, NonAscii };

patfixture::Race GeneratedRace(int index, std::mt19937& random, Naming naming = Naming::Ascii) {
    patfixture::Race race;
    char id[32];
    std::snprintf(id, sizeof id, naming == Naming::Ascii ? "%07d.jra" : "%07d競.jra", index);
    race.fileId = id;
    static const char* const kCourses[] = {"札幌", "函館", "福島", "新潟", "東京",
                                           "中山", "中京", "京都", "阪神", "小倉"};
    race.courseName = kCourses[index % 10];
    race.courseCode = "0" + std::to_string(index % 10);
    race.meetingNo = 1 + index / 1200 % 5;
    race.meetingDay = 1 + index / 120 % 10;
    race.raceNo = 1 + index % 12;
    int runners = 8 + index % 11;
    std::uniform_real_distribution<double> odds(1.2, 150.0);
    std::vector<std::string> winOdds;
    for (int i = 0; i < runners; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", odds(random));
        winOdds.emplace_back(text);
    }
    if (index % 17 == 0) {
        winOdds[static_cast<std::size_t>(index % runners)] = std::string(patfixture::kScratched);
    }
    race.runners = patfixture::RunnersWithOdds(winOdds);
    patfixture::Result result;
    std::vector<int> order;
    for (int i = 1; i <= runners; ++i) {
        if (winOdds[static_cast<std::size_t>(i - 1)] != patfixture::kScratched) {
            order.push_back(i);
        }
    }
    std::shuffle(order.begin(), order.end(), random);
    order.resize(3);
    result.order = order;
    race.result = result;
    return race;
}

// A folder of generated races, removed at the end of the run.
class RaceFolder {
public:
    explicit RaceFolder(Naming naming = Naming::Ascii) {
        std::string pattern = (fs::temp_directory_path() / "velmora-backtest-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern;
        std::mt19937 random(20261207);
        for (int index = 0; index < RaceCount(); ++index) {
            patfixture::WriteRaceFiles(GeneratedRace(index, random, naming), path_);
        }
    }
    ~RaceFolder() {
        std::error_code error;
        fs::remove_all(path_, error);
    }
    RaceFolder(const RaceFolder&) = delete;
    RaceFolder& operator=(const RaceFolder&) = delete;

    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

const RaceFolder& Folder() {
    static RaceFolder folder;
    return folder;
}

// Best wall time of reading every byte, for the back-test to be measured against.
double gReadingSeconds = 0;

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long MaxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Discards what is written, as a CSV sent to /dev/null would be.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// The floor: list the folder and read every byte of every file once.
void BM_ReadEveryByte(benchmark::State& state) {
    const fs::path& folder = Folder().path();
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        std::size_t bytes = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            std::ifstream file(entry.path(), std::ios::binary);
            while (file.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) ||
                   file.gcount() > 0) {
                bytes += static_cast<std::size_t>(file.gcount());
            }
        }
        benchmark::DoNotOptimize(bytes);
        state.counters["bytes"] = static_cast<double>(bytes);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        gReadingSeconds = gReadingSeconds == 0 ? seconds : std::min(gReadingSeconds, seconds);
    }
}

// The back-test streaming its CSV, so that no race is kept.
void BM_BacktestCsv(benchmark::State& state) {
    const std::string folder = Folder().path().string();
    NullBuffer sink;
    std::ostream out(&sink);
    long rssBefore = MaxRssKb();
    double best = 0;
    double cpuBefore = ProcessCpuSeconds();
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        CsvBacktestWriter writer(out);
        RunBacktest(folder, writer);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = best == 0 ? seconds : std::min(best, seconds);
    }
    state.counters["races"] = RaceCount();
    // Best wall time against the best wall time of reading every byte, and the
    // CPU time per race.
    state.counters["x_reading"] = gReadingSeconds > 0 ? best / gReadingSeconds : 0;
    state.counters["cpu_us_per_race"] =
        (ProcessCpuSeconds() - cpuBefore) * 1e6 / static_cast<double>(state.iterations()) / RaceCount();
    state.counters["maxrss_growth_kb"] = static_cast<double>(MaxRssKb() - rssBefore);
}

// The same with the figures only (the readable report).
void BM_BacktestFigures(benchmark::State& state) {
    const std::string folder = Folder().path().string();
    for (auto _ : state) {
        BacktestTally tally;
        RunBacktest(folder, tally);
        benchmark::DoNotOptimize(tally.RunFigures().all.races);
        state.counters["races_used"] = static_cast<double>(tally.RunFigures().all.races);
    }
}

const RaceFolder& NonAsciiFolder() {
    static RaceFolder folder(Naming::NonAscii);
    return folder;
}

double gAsciiSeconds = 0;

double BestBacktestSeconds(benchmark::State& state, const std::string& folder) {
    double best = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        BacktestTally tally;
        RunBacktest(folder, tally);
        benchmark::DoNotOptimize(tally.RunFigures().all.races);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = best == 0 ? seconds : std::min(best, seconds);
        state.counters["races_used"] = static_cast<double>(tally.RunFigures().all.races);
    }
    return best;
}

// The same races under ASCII names and under names holding a non-ASCII
// character: x_ascii is the best time of the second against the first.
void BM_BacktestAsciiNames(benchmark::State& state) {
    gAsciiSeconds = BestBacktestSeconds(state, Folder().path().string());
}

void BM_BacktestNonAsciiNames(benchmark::State& state) {
    double best = BestBacktestSeconds(state, NonAsciiFolder().path().string());
    state.counters["x_ascii"] = gAsciiSeconds > 0 ? best / gAsciiSeconds : 0;
}

} // namespace

BENCHMARK(BM_ReadEveryByte)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_BacktestCsv)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_BacktestFigures)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BacktestAsciiNames)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_BacktestNonAsciiNames)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

BENCHMARK_MAIN();
