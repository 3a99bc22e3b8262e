#include "backtest/backtest.h"

#include "backtest/backtest_listing.h"
#include "backtest/pair_judging.h"
#include "backtest/result_index.h"
#include "browser/file_list.h"
#include "common/clock.h"
#include "common/conversions.h"
#include "common/folder_files.h"
#include "common/messages.h"
#include "common/random.h"
#include "common/text.h"
#include "engine/movement.h"
#include "engine/odds_check.h"
#include "engine/race_figures.h"
#include "engine/recommendations.h"
#include "history/history_store.h"
#include "movement/version_figures.h"
#include "patdata/file_naming.h"
#include "patdata/pat_file.h"
#include "patdata/win_place_odds.h"
#include "race/race_loader.h"
#include "results/result_file.h"
#include "settings/settings_store.h"
#include "sheet/race_sheet.h"
#include "shell/remarks.h"
#include "shell/services.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <system_error>
#include <variant>

namespace velmora {
namespace {

bool WasShown(const RecordingMessageSink& messages, std::string_view text) {
    return std::any_of(messages.messages.begin(), messages.messages.end(),
                       [text](const Message& m) { return m.text == text; });
}

// The quinella and wide payoffs of a result, keys trimmed, empty entries left out.
template <std::size_t N> std::vector<BacktestPayoff> PaidEntries(const std::array<PayoffEntry, N>& entries) {
    std::vector<BacktestPayoff> paid;
    for (std::size_t k = 1; k < N; ++k) {
        std::string_view key = TrimSpaces(entries[k].Key);
        if (!key.empty()) {
            paid.push_back({std::string(key), PayoffYen(entries[k].Payoff)});
        }
    }
    return paid;
}

// The race's own win-popularity-1 runner: the last runner ranked 1, as the
// win-1 grade is read; 0 when none is.
int Win1Runner(const RaceFigures& figures) {
    int runner = 0;
    for (const RunnerFigures& each : figures.runners) {
        if (each.winRank == 1) {
            runner = each.no;
        }
    }
    return runner;
}

Win1Movement MovementBetween(const RaceFigures& first, const RaceFigures& last, int runner) {
    // The factor plays no part here: only the supports are compared.
    for (const MovementRow& row : ComputeMovement(first, last, 0.0)) {
        if (row.no == runner) {
            if (row.win.nowSupport > row.win.firstSupport) {
                return Win1Movement::Rose;
            }
            return row.win.nowSupport < row.win.firstSupport ? Win1Movement::Fell : Win1Movement::Unchanged;
        }
    }
    return Win1Movement::Unchanged;
}

// How the win-1 runner's win support moved over the race's recorded versions.
Win1Movement Win1MovementOf(HistoryStore* history, const std::string& oddsPath, int runner) {
    if (history == nullptr) {
        return Win1Movement::NoHistory;
    }
    // Last year's race of the same file name is no history of this one.
    const std::optional<std::int64_t> modifiedMs = FileModifiedMs(oddsPath);
    const std::optional<HeldRace> held = modifiedMs ? history->FindRace(oddsPath, *modifiedMs) : std::nullopt;
    if (!held) {
        return Win1Movement::NoHistory;
    }
    std::vector<FiguresAt> states = FiguresOfVersions(history->Versions(held->id));
    if (states.empty()) {
        return Win1Movement::NoHistory;
    }
    return MovementBetween(states.front().figures, states.back().figures, runner);
}

// Marks each recommended pair that is oversold or has a runner whose win and
// place ranks lie far apart, in the odds the race was computed from.
void MarkAnomalies(std::vector<BacktestPair>& pairs, const RaceFigures& figures,
                   const AnomalyThresholds& thresholds) {
    Anomalies anomalies = ComputeAnomalies(figures, thresholds);
    for (BacktestPair& pair : pairs) {
        pair.anomalyMark = IsMarkedPair(anomalies, pair.first, pair.second);
    }
}

// Races one after another on a private sheet, whose every load clears what
// the previous race left. Each race goes the way the file browser and the
// result button take it: the odds onto the sheet, the calculation with the
// quinella odds beside the pairs, the result's payoffs against them.
class RaceBacktester {
public:
    RaceBacktester(const ResultIndex& results, HistoryStore* history, const AnomalyThresholds& thresholds)
        : results_(results), history_(history), thresholds_(thresholds) {}

    std::variant<BacktestRace, SkippedRace> Run(const ListedOddsFile& file) {
        refusedPlaces_.clear();
        std::variant<BacktestRace, SkipReason> outcome = RunRace(file);
        if (const auto* reason = std::get_if<SkipReason>(&outcome)) {
            return SkippedRace{file.name, *reason, std::move(refusedPlaces_)};
        }
        return std::get<BacktestRace>(std::move(outcome));
    }

private:
    std::variant<BacktestRace, SkipReason> RunRace(const ListedOddsFile& file) {
        const std::string& path = file.path;
        messages_.messages.clear();
        // The records of the previous race are read over: every field a race
        // uses is read anew, and fields of the right width are overwritten
        // where they stand.
        RaceRecord& record = record_;
        PatFile odds(path);
        if (!ReadWinPlaceOdds(odds, record, messages_)) {
            return OddsReadFailure(messages_);
        }
        if (!FillSheetFromRace(sheet_, record, messages_)) {
            return WasShown(messages_, kReadFailedMessage) ? SkipReason::UnreadableOddsFile
                                                           : SkipReason::TooFewRunners;
        }
        // The horse names of the entry file play no part in what is recorded.
        if (sheet_.GetActiveRunnerCount() < 8) {
            return SkipReason::TooFewActiveRunners;
        }
        // Odds the calculation refuses would leave the race without pairs.
        if (std::vector<RefusedOdds> refused = FindRefusedOdds(sheet_); !refused.empty()) {
            refusedPlaces_ = RefusedOddsPlaces(refused);
            return SkipReason::InvalidOdds;
        }
        // The result belongs to the race even when its quinella odds are
        // missing (by hand the calculation would then have forgotten the file).
        std::string resultPath = results_.Find(path);
        if (resultPath.empty()) {
            return SkipReason::NoResultFile;
        }
        ResultRecord& result = result_;
        if (!ReadResultFile(resultPath, result)) {
            return SkipReason::UnreadableResultFile;
        }
        BacktestRace race;
        race.quinellaPayoffs = PaidEntries(result.QuinellaPayoffs);
        race.widePayoffs = PaidEntries(result.WidePayoffs);
        // The calculation reads the quinella odds file and forgets the race
        // file when it can't.
        sheet_.sOddsFileName = path;
        btnCalc_Click(sheet_, services_);
        Record(file.name, record.Header, race);
        RecordSignals(path, race);
        return race;
    }

    void Record(const std::string& fileName, const RaceHeader& header, BacktestRace& race) {
        race.fileName = fileName;
        race.course = std::string(TrimSpaces(header.CourseName));
        race.meetingLine = sheet_.Kaisai();
        race.raceLine = sheet_.RaceName();
        race.runnerCount = sheet_.GetRunnerCount();
        for (int k = 0; k < 4; ++k) {
            race.grades[static_cast<std::size_t>(k)] = sheet_.Rank(k + 1);
        }
        race.hasQuinellaOdds = !sheet_.sOddsFileName.empty();
        const std::vector<std::string>& pairs = sheet_.Items(SheetList::Result);
        const std::vector<std::string>& quinellaOdds = sheet_.Items(SheetList::ResultUmaOdds);
        const std::vector<std::string>& wideOdds = sheet_.Items(SheetList::ResultWideOdds);
        race.pairs.reserve(pairs.size());
        for (std::size_t k = 0; k < pairs.size(); ++k) {
            BacktestPair pair;
            pair.pair = pairs[k];
            const RunnerPair runners = ParsePair(pair.pair).value_or(RunnerPair{});
            pair.first = runners.first;
            pair.second = runners.second;
            // The odds lists run beside the pairs while the race file is known.
            if (race.hasQuinellaOdds && k < quinellaOdds.size() && k < wideOdds.size()) {
                pair.quinellaOdds = quinellaOdds[k];
                pair.wideOdds = wideOdds[k];
            }
            pair.refunded = IsScratchedRunner(pair.first) || IsScratchedRunner(pair.second);
            JudgePair(pair, race.quinellaPayoffs, race.widePayoffs);
            race.pairs.push_back(std::move(pair));
        }
    }

    void RecordSignals(const std::string& path, BacktestRace& race) {
        RaceFigures figures = FiguresFromSheet(sheet_);
        MarkAnomalies(race.pairs, figures, thresholds_);
        race.win1Movement = Win1MovementOf(history_, path, Win1Runner(figures));
    }

    bool IsScratchedRunner(int runner) const {
        return runner >= 1 && runner <= kMaxRunners && sheet_.IsScratched(runner);
    }

    const ResultIndex& results_;
    HistoryStore* history_;
    AnomalyThresholds thresholds_;
    RaceRecord record_;
    ResultRecord result_;
    MemorySettingsStore settings_;
    RecordingMessageSink messages_;
    StandardRandomSource random_;
    SystemClock clock_;
    RemarkList remarks_;
    Services services_{settings_, messages_, random_, clock_, remarks_};
    RaceSheet sheet_{settings_};
    std::string refusedPlaces_;
};

} // namespace

bool RunBacktest(const std::string& folder, BacktestVisitor& visitor) {
    StopFlag never;
    return RunBacktest(folder, visitor, never) != BacktestEnd::Unreadable;
}

BacktestOptions BacktestOptionsFrom(const SettingsStore& settings) {
    BacktestOptions options;
    options.historyPath = DefaultHistoryPath();
    options.anomalyThresholds = {GetRankGap(settings), GetQuinellaRatio(settings)};
    return options;
}

BacktestEnd RunBacktest(const std::string& folder, BacktestVisitor& visitor, const StopFlag& stop) {
    return RunBacktest(folder, visitor, stop, BacktestOptions{});
}

namespace {

// The history for reading; null when there is none to read, or when it
// can't be read, which the visitor hears.
std::unique_ptr<HistoryStore> ReadableHistory(const std::string& path, BacktestVisitor& visitor) {
    auto store = OpenHistoryToRead(path);
    if (store && !store->IsAvailable()) {
        std::optional<std::string> problem = store->TakeProblem();
        visitor.OnHistoryProblem(problem.value_or(std::string()));
        return nullptr;
    }
    return store;
}

} // namespace

BacktestEnd RunBacktest(const std::string& folder, BacktestVisitor& visitor, const StopFlag& stop,
                        const BacktestOptions& options) {
    // The folder is listed once, for its odds files and its result files.
    FolderFiles listed = ListFolderFiles(folder, [](std::string_view name) {
        return MatchesOddsFileMask(name) || ResultIndex::IsResultName(name);
    });
    if (!listed.readable) {
        return BacktestEnd::Unreadable;
    }
    std::vector<std::string> oddsNames;
    std::vector<std::string> resultNames;
    for (std::string& name : listed.names) {
        (MatchesOddsFileMask(name) ? oddsNames : resultNames).push_back(std::move(name));
    }
    std::vector<SkippedRace> unreadable;
    std::vector<ListedOddsFile> files = ListOddsFilesInBrowserOrder(folder, oddsNames, unreadable);
    for (const SkippedRace& skipped : unreadable) {
        if (stop.IsRequested()) {
            return BacktestEnd::Stopped;
        }
        visitor.OnSkipped(skipped);
    }
    ResultIndex results(folder, resultNames);
    std::unique_ptr<HistoryStore> history = ReadableHistory(options.historyPath, visitor);
    // The sheet and its quinella table are large for a thread's stack.
    auto backtester = std::make_unique<RaceBacktester>(results, history.get(), options.anomalyThresholds);
    for (const ListedOddsFile& file : files) {
        if (stop.IsRequested()) {
            return BacktestEnd::Stopped;
        }
        std::variant<BacktestRace, SkippedRace> outcome = backtester->Run(file);
        if (const auto* race = std::get_if<BacktestRace>(&outcome)) {
            visitor.OnRace(*race);
        } else {
            visitor.OnSkipped(std::get<SkippedRace>(outcome));
        }
    }
    // A history that opened but failed to read is said, not counted as none.
    if (std::optional<std::string> problem = history ? history->TakeProblem() : std::nullopt) {
        visitor.OnHistoryProblem(*problem);
    }
    return BacktestEnd::Complete;
}

BacktestFolderState CheckBacktestFolder(const std::string& folder) {
    switch (CheckFolder(folder)) {
    case FolderState::Ready:
        return BacktestFolderState::Ready;
    case FolderState::Missing:
    case FolderState::NotAFolder:
        return BacktestFolderState::Missing;
    case FolderState::Unreadable:
        break;
    }
    return BacktestFolderState::Unreadable;
}

} // namespace velmora
