// Opening the odds-movement window for a race with 200 recorded versions of
// each odds file: reading them from the history, the figures of every
// version, the rows, the anomaly marks and the window itself, offscreen. The
// goal is 100 ms or less.
#include "history/history_store.h"
#include "pat_fixture.h"
#include "race/race_loader.h"
#include "scratch_folder.h"
#include "settings/settings_ops.h"
#include "ui/frmMain.h"
#include "ui/frmOddsMovement.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace velmora {
namespace {

constexpr int kVersions = 200;
constexpr std::int64_t kMorningMs = 1796551200000;

std::string OddsText(double odds) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", odds);
    return text;
}

// Sixteen runners whose odds drift from version to version, as money moves.
patfixture::Race DriftedRace(int version) {
    patfixture::Race race;
    race.raceNo = 11;
    std::vector<std::string> odds;
    for (int runner = 1; runner <= 16; ++runner) {
        const double drift = 1.0 + 0.03 * ((version * runner) % 9 - 4);
        odds.push_back(OddsText((1.5 + runner * 3.7) * drift));
    }
    race.runners = patfixture::RunnersWithOdds(odds);
    return race;
}

void RecordDay(HistoryStore& store, const std::string& folder) {
    for (int version = 0; version < kVersions; ++version) {
        const patfixture::Race race = DriftedRace(version);
        const std::int64_t at = kMorningMs + std::int64_t{version} * 60000;
        store.Record({folder + "/" + patfixture::QuinellaFileName(race), patfixture::QuinellaOddsBytes(race),
                      at, at + 1000});
        store.Record({folder + "/" + patfixture::OddsFileName(race), patfixture::WinPlaceOddsBytes(race), at,
                      at + 1000});
    }
}

void BM_OpenOddsMovementWindow(benchmark::State& state) {
    bench::ScratchFolder folder;
    const patfixture::Race last = DriftedRace(kVersions - 1);
    patfixture::WriteRaceFiles(last, folder.path());
    HistoryStore store((folder.path() / "history.sqlite").string());
    RecordDay(store, folder.path().string());

    MemorySettingsStore settings;
    RemarkList remarks{"remark"};
    frmMain window(settings, remarks, store);
    window.ReadHistoryFrom([&store] { return &store; });
    window.UpdateFormFromSelection((folder.path() / patfixture::OddsFileName(last)).string());
    for (auto _ : state) {
        auto movement = std::make_unique<frmOddsMovement>(
            settings, window.Sheet(), [&store] { return &store; }, &window);
        movement->show();
        QCoreApplication::processEvents();
        if (movement->Movement()->Versions().size() != kVersions) {
            state.SkipWithError("the window did not read every version");
            break;
        }
    }
}
BENCHMARK(BM_OpenOddsMovementWindow)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora

int main(int argc, char** argv) {
    // Settings and the window stay off any real screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
