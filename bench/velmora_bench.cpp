// Run with the working folder anywhere: the races are generated into a fresh
// temporary folder at start and removed at the end.
#include "browser/file_list.h"
#include "common/clock.h"
#include "common/conversions.h"
#include "common/messages.h"
#include "common/random.h"
#include "engine/calculation.h"
#include "pat_fixture.h"
#include "race/race_loader.h"
#include "results/result_display.h"
#include "scratch_folder.h"
#include "settings/settings_store.h"
#include "sheet/race_sheet.h"
#include "shell/services.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr int kListedRaces = 10000;
constexpr std::size_t kHeaderBytes = 142;

using bench::ScratchFolder;

std::vector<std::string> SixteenOdds() {
    return {"3.4",  "5.1",  "8.8", "12.5", "2.6",  "41.0", "18.3", "7.7",
            "99.9", "25.4", "6.2", "15.0", "33.3", "60.1", "9.4",  "120"};
}

struct Fixtures {
    ScratchFolder scratch;
    std::string racePath;      // one race with all four files
    std::string listingFolder; // kListedRaces odds files
    std::vector<std::string> listingPaths;

    Fixtures() {
        fs::path raceFolder = scratch.path() / "race";
        fs::create_directory(raceFolder);
        patfixture::Race race;
        race.runners = patfixture::RunnersWithOdds(SixteenOdds());
        race.result = patfixture::Result{};
        race.result->order = {5, 1, 2};
        auto written = patfixture::WriteRaceFiles(race, raceFolder);
        racePath = written.front().string();

        static const std::array<std::string, 10> kCourses = {"札幌", "函館", "福島", "新潟", "東京",
                                                             "中山", "中京", "京都", "阪神", "小倉"};
        fs::path folder = scratch.path() / "pat";
        fs::create_directory(folder);
        listingFolder = folder.string() + "/";
        patfixture::Race listed;
        listed.runners = patfixture::RunnersWithOdds(SixteenOdds());
        for (int i = 0; i < kListedRaces; ++i) {
            listed.courseName = kCourses[static_cast<std::size_t>(i % 10)];
            listed.courseCode = "0" + std::to_string(i % 10);
            listed.raceNo = i / 10 % 12 + 1;
            listed.meetingDay = i / 120 % 12 + 1;
            listed.meetingNo = i / 1440 + 1;
            listed.fileId = std::to_string(1000000 + i) + ".jra";
            std::string path = listingFolder + patfixture::OddsFileName(listed);
            std::ofstream out(path, std::ios::binary);
            std::string bytes = patfixture::WinPlaceOddsBytes(listed);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            listingPaths.push_back(path);
        }
    }
};

Fixtures& Shared() {
    static Fixtures fixtures;
    return fixtures;
}

struct BenchServices {
    MemorySettingsStore settings;
    RecordingMessageSink messages;
    StandardRandomSource random;
    SystemClock clock;
    RemarkList remarks = {"remark"};
    Services services{settings, messages, random, clock, remarks};
};

void BM_LoadComputeResult(benchmark::State& state) {
    const std::string& path = Shared().racePath;
    BenchServices env;
    RaceSheet sheet(env.settings);
    for (auto _ : state) {
        UpdateFormFromSelection(sheet, env.services, path);
        cmdResult_Click(sheet, env.services);
        benchmark::DoNotOptimize(sheet.Items(SheetList::RaceResult).data());
    }
    if (!env.messages.messages.empty() || sheet.Items(SheetList::RaceResult).size() != 38) {
        state.SkipWithError("the race did not load and show its result");
    }
}
BENCHMARK(BM_LoadComputeResult)->Unit(benchmark::kMicrosecond);

void BM_ListFolder10000(benchmark::State& state) {
    const std::string& folder = Shared().listingFolder;
    std::size_t listed = 0;
    for (auto _ : state) {
        RaceListing listing = ListRaceFiles(folder);
        listed = listing.rows.size();
        benchmark::DoNotOptimize(listing.rows.data());
    }
    if (listed != static_cast<std::size_t>(kListedRaces)) {
        state.SkipWithError("not every race was listed");
    }
    state.counters["files"] = static_cast<double>(listed);
}
BENCHMARK(BM_ListFolder10000)->Unit(benchmark::kMillisecond);

// The folder search alone, to tell it apart from the header reads.
void BM_FindOddsFiles10000(benchmark::State& state) {
    const std::string& folder = Shared().listingFolder;
    for (auto _ : state) {
        std::vector<std::string> names = FindOddsFiles(folder);
        benchmark::DoNotOptimize(names.data());
    }
}
BENCHMARK(BM_FindOddsFiles10000)->Unit(benchmark::kMillisecond);

// The floor under any listing: open each file, read its header bytes, close it.
void BM_ReadRawHeaders10000(benchmark::State& state) {
    const std::vector<std::string>& paths = Shared().listingPaths;
    std::array<char, kHeaderBytes> buffer{};
    std::size_t read = 0;
    for (auto _ : state) {
        read = 0;
        for (const std::string& path : paths) {
            std::FILE* file = std::fopen(path.c_str(), "rb");
            if (file == nullptr) {
                continue;
            }
            read += std::fread(buffer.data(), 1, buffer.size(), file) == buffer.size() ? 1U : 0U;
            std::fclose(file);
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    if (read != paths.size()) {
        state.SkipWithError("a header could not be read");
    }
    state.counters["files"] = static_cast<double>(read);
}
BENCHMARK(BM_ReadRawHeaders10000)->Unit(benchmark::kMillisecond);

// The numbers of the sheet as typed and as computed: a plain decimal takes the
// quick way. With a blank in front the same number goes the general way
// (blanks skipped, the number's end found, from_chars), which is what the
// quick way saves.
void BM_NumericValue(benchmark::State& state) {
    std::vector<std::string> texts = SixteenOdds();
    for (const char* text : {"0.075", "0.133", "3.65", "12", "1", "18", "2.50", "0.107"}) {
        texts.emplace_back(text);
    }
    if (state.range(0) != 0) {
        for (std::string& text : texts) {
            text.insert(0, 1, ' ');
        }
    }
    for (auto _ : state) {
        double sum = 0;
        for (const std::string& text : texts) {
            sum += NumericValue(text);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
}
BENCHMARK(BM_NumericValue)->ArgName("blank_in_front")->Arg(0)->Arg(1);

// Keeps each benchmark's time per iteration so that the ratio can be printed.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    explicit RecordingReporter(OutputOptions options) : ConsoleReporter(options) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                realTimes[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuTimes[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> realTimes;
    std::map<std::string, double> cpuTimes;
};

} // namespace
} // namespace velmora

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    velmora::Shared(); // generate before timing starts
    // Colours only on a terminal, so that a saved report stays plain text.
    velmora::RecordingReporter reporter(isatty(fileno(stdout)) != 0
                                            ? benchmark::ConsoleReporter::OO_ColorTabular
                                            : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [](const std::map<std::string, double>& times) {
        auto listing = times.find("BM_ListFolder10000");
        auto raw = times.find("BM_ReadRawHeaders10000");
        return listing != times.end() && raw != times.end() && raw->second > 0 ? listing->second / raw->second
                                                                               : 0.0;
    };
    std::cout << "\nlisting 10000 races / opening them and reading 142 bytes: " << ratio(reporter.realTimes)
              << " (wall clock), " << ratio(reporter.cpuTimes) << " (CPU)\n";
    benchmark::Shutdown();
    return 0;
}
