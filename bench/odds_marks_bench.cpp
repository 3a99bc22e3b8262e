// The figures a movement window works out for one race: every recorded version
// of its odds turned into figures, each compared with the first, and the
// anomaly marks of the latest. Versions are built in memory, so this times the
// computation alone, not reading the files.
#include "engine/anomalies.h"
#include "engine/movement.h"
#include "race/race_figures_of.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

namespace velmora {
namespace {

constexpr int kRunners = 16;

std::string OddsText(double odds) {
    char text[16];
    std::snprintf(text, sizeof text, "%5.1f", odds);
    return text;
}

// Versions whose odds drift a little from one to the next, the way money moves.
std::vector<std::pair<RaceRecord, QuinellaRecord>> DriftingVersions(int count) {
    std::mt19937 generator(14);
    std::uniform_real_distribution<double> drift(0.93, 1.07);
    std::vector<double> odds;
    for (int i = 1; i <= kRunners; ++i) {
        odds.push_back(1.5 + 4.0 * i);
    }
    std::vector<std::pair<RaceRecord, QuinellaRecord>> versions(static_cast<std::size_t>(count));
    for (auto& [race, quinella] : versions) {
        race.Header.RunnerCount = std::to_string(kRunners);
        for (std::size_t i = 1; i <= kRunners; ++i) {
            odds[i - 1] *= drift(generator);
            race.Runners[i].WinOdds = OddsText(odds[i - 1]);
            race.Runners[i].PlaceOddsMin = OddsText(1.0 + odds[i - 1] / 5);
            race.Runners[i].PlaceOddsMax = OddsText(1.0 + odds[i - 1] / 3);
        }
        for (std::size_t i = 1; i <= kRunners; ++i) {
            for (std::size_t j = i + 1; j <= kRunners; ++j) {
                quinella.Cells[i][j].QuinellaOdds = OddsText(odds[i - 1] * odds[j - 1] / 4);
            }
        }
    }
    return versions;
}

void BM_MovementOfVersions(benchmark::State& state) {
    const auto versions = DriftingVersions(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        RaceFigures first = FiguresOfRace(versions.front().first, &versions.front().second);
        std::size_t rows = 0;
        RaceFigures latest;
        for (const auto& [race, quinella] : versions) {
            latest = FiguresOfRace(race, &quinella);
            rows += ComputeMovement(first, latest, 1.3).size();
        }
        Anomalies anomalies = ComputeAnomalies(latest, {3, 1.5});
        benchmark::DoNotOptimize(rows);
        benchmark::DoNotOptimize(anomalies);
    }
}
BENCHMARK(BM_MovementOfVersions)->ArgName("versions")->Arg(200)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora

BENCHMARK_MAIN();
