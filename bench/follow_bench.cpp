// From a settled change of a followed race's odds file to the recomputed sheet:
// the follower's reload, with the result display redone. Each iteration
// renames a new version over the file first, untimed, as PAT does.
#include "common/clock.h"
#include "common/messages.h"
#include "common/random.h"
#include "follow/race_follow.h"
#include "history/odds_recorder.h"
#include "pat_fixture.h"
#include "results/result_display.h"
#include "scratch_folder.h"
#include "settings/settings_store.h"
#include "sheet/race_sheet.h"
#include "shell/services.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace velmora {
namespace {

namespace fs = std::filesystem;

using bench::ScratchFolder;

patfixture::Race SixteenRunners(int version) {
    patfixture::Race race;
    race.runners = patfixture::RunnersWithOdds({"3.4", "5.1", "8.8", "12.5", "2.6", "41.0", "18.3", "7.7",
                                                "99.9", "25.4", "6.2", "15.0", "33.3", "60.1", "9.4", "120"});
    race.runners[0].winOdds = std::to_string(2 + version % 50) + ".5";
    race.result = patfixture::Result{};
    race.result->order = {5, 1, 2};
    return race;
}

void BM_FollowReload(benchmark::State& state) {
    ScratchFolder folder;
    const auto written = patfixture::WriteRaceFiles(SixteenRunners(0), folder.path());
    const std::string oddsPath = (folder.path() / patfixture::OddsFileName(SixteenRunners(0))).string();

    MemorySettingsStore settings;
    RecordingMessageSink messages;
    StandardRandomSource random;
    SystemClock clock;
    RemarkList remarks{"remark"};
    RaceSheet sheet(settings);
    Services services{settings, messages, random, clock, remarks};
    NullRecorder recorder;
    RaceFollow follow(sheet, services, recorder, clock);
    follow.LoadSelection(oddsPath);
    cmdResult_Click(sheet, services);

    int version = 0;
    for (auto _ : state) {
        patfixture::ReplaceByRename(folder.path(), patfixture::OddsFileName(SixteenRunners(0)),
                                    patfixture::WinPlaceOddsBytes(SixteenRunners(++version)));
        const auto start = std::chrono::steady_clock::now();
        const FollowStep step = follow.FilesSettled();
        const auto end = std::chrono::steady_clock::now();
        if (step != FollowStep::Reloaded) {
            state.SkipWithError("the new version was not reloaded");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    if (!messages.messages.empty()) {
        state.SkipWithError("the reload showed a message");
    }
}
BENCHMARK(BM_FollowReload)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

} // namespace
} // namespace velmora

BENCHMARK_MAIN();
