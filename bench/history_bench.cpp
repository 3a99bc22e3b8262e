// Recording one odds file version into the history database, as the window and
// `watch` do on every change: a new version, and a repeat of the latest one.
// The database lives in a fresh temporary folder, removed at the end.
#include "history/history_store.h"
#include "pat_fixture.h"
#include "scratch_folder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr int kVersions = 512;

using bench::ScratchFolder;

std::string OddsText(double odds) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", odds);
    return text;
}

// Successive versions of one sixteen-runner race, the odds drifting with
// each: the win/place odds file and the quinella file in turn.
std::vector<SeenFile> DriftingVersions(const fs::path& folder) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> drift(0.9, 1.1);
    std::vector<double> odds;
    for (int runner = 1; runner <= 16; ++runner) {
        odds.push_back(1.5 + runner * 3.7);
    }
    std::vector<SeenFile> versions;
    for (int version = 0; version < kVersions; ++version) {
        std::vector<std::string> texts;
        for (double& value : odds) {
            value = std::clamp(value * drift(random), 1.1, 999.0);
            texts.push_back(OddsText(value));
        }
        patfixture::Race race;
        race.runners = patfixture::RunnersWithOdds(texts);
        const bool quinella = version % 2 == 1;
        SeenFile file;
        file.path =
            (folder / (quinella ? patfixture::QuinellaFileName(race) : patfixture::OddsFileName(race)))
                .string();
        file.bytes = quinella ? patfixture::QuinellaOddsBytes(race) : patfixture::WinPlaceOddsBytes(race);
        file.modifiedMs = 1796551200000 + version * 1000;
        file.seenMs = file.modifiedMs + 200;
        versions.push_back(std::move(file));
    }
    return versions;
}

void BM_RecordNewVersion(benchmark::State& state) {
    ScratchFolder folder;
    HistoryStore store((folder.path() / "history.sqlite").string());
    const auto versions = DriftingVersions(folder.path());
    std::size_t next = 0;
    for (auto _ : state) {
        // Each pass over the list repeats no file's latest version, so every
        // record adds one.
        if (store.Record(versions[next]) != RecordOutcome::Added) {
            state.SkipWithError("a version was not added");
            break;
        }
        next = (next + 1) % versions.size();
    }
}
BENCHMARK(BM_RecordNewVersion)->Unit(benchmark::kMillisecond);

void BM_RecordRepeatedVersion(benchmark::State& state) {
    ScratchFolder folder;
    HistoryStore store((folder.path() / "history.sqlite").string());
    const auto versions = DriftingVersions(folder.path());
    store.Record(versions[1]);
    for (auto _ : state) {
        if (store.Record(versions[1]) != RecordOutcome::Unchanged) {
            state.SkipWithError("a repeat was not recognised");
            break;
        }
    }
}
BENCHMARK(BM_RecordRepeatedVersion)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora

BENCHMARK_MAIN();
