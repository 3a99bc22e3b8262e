#include "backtest/backtest.h"

#include "backtest/backtest_listing.h"
#include "backtest/pair_judging.h"
#include "backtest/result_index.h"
#include "common/conversions.h"
#include "common/messages.h"
#include "common/random.h"
#include "common/text.h"
#include "engine/calculation.h"
#include "patdata/race_loader.h"
#include "patdata/record_reader.h"
#include "patdata/win_place_odds.h"
#include "results/result_file.h"
#include "settings/settings_store.h"
#include "shell/race_sheet.h"
#include "shell/remarks.h"
#include "shell/services.h"

#include <algorithm>
#include <optional>
#include <variant>

namespace velmora {
namespace {

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

// Runner number held in two characters of a pair text.
int RunnerOf(std::string_view twoCharacters) {
    return static_cast<int>(CountFromValue(NumericValue(twoCharacters)));
}

// The races of a folder, one after another, on one private sheet: loading a
// race clears everything the previous one left.
class RaceBacktester {
public:
    explicit RaceBacktester(const std::string& folder) : results_(folder) {}

    std::variant<BacktestRace, SkipReason> Run(const std::string& path, const std::string& fileName) {
        messages_.messages.clear();
        RaceRecord record;
        if (!ReadWinPlaceOdds(path, record, messages_)) {
            return OddsReadFailure(messages_.messages);
        }
        if (!FillSheetFromRace(sheet_, record, messages_)) {
            bool readFailed = std::any_of(messages_.messages.begin(), messages_.messages.end(),
                                          [](const Message& m) { return m.text == kReadFailedMessage; });
            return readFailed ? SkipReason::UnreadableOddsFile : SkipReason::TooFewRunners;
        }
        // The horse names of the entry file play no part in what is recorded.
        sheet_.sOddsFileName = path;
        if (sheet_.GetActiveRunnerCount() < 8) {
            return SkipReason::TooFewActiveRunners;
        }
        btnCalc_Click(sheet_, services_);

        // The race file is known here even when the calculation forgot it for
        // want of quinella odds; the result belongs to the race all the same.
        std::string resultPath = results_.Find(path);
        if (resultPath.empty()) {
            return SkipReason::NoResultFile;
        }
        ResultRecord result;
        if (!ReadResultFile(resultPath, result)) {
            return SkipReason::UnreadableResultFile;
        }
        return Record(fileName, record.Header, result);
    }

private:
    BacktestRace Record(const std::string& fileName, const RaceHeader& header,
                        const ResultRecord& result) const {
        BacktestRace race;
        race.fileName = fileName;
        race.course = std::string(TrimSpaces(header.CourseName));
        race.meetingLine = sheet_.Kaisai();
        race.raceLine = sheet_.RaceName();
        race.runnerCount = sheet_.GetRunnerCount();
        for (int k = 0; k < 4; ++k) {
            race.grades[static_cast<std::size_t>(k)] = sheet_.Rank(k + 1);
        }
        race.quinellaPayoffs = PaidEntries(result.QuinellaPayoffs);
        race.widePayoffs = PaidEntries(result.WidePayoffs);

        const std::vector<std::string>& pairs = sheet_.Items(SheetList::Result);
        const std::vector<std::string>& quinellaOdds = sheet_.Items(SheetList::ResultUmaOdds);
        const std::vector<std::string>& wideOdds = sheet_.Items(SheetList::ResultWideOdds);
        race.hasQuinellaOdds = !sheet_.sOddsFileName.empty();
        race.pairs.reserve(pairs.size());
        for (std::size_t k = 0; k < pairs.size(); ++k) {
            BacktestPair pair;
            pair.pair = pairs[k];
            std::string_view text = pair.pair;
            pair.first = RunnerOf(text.substr(0, 2));
            pair.second = RunnerOf(text.size() >= 2 ? text.substr(text.size() - 2) : text);
            if (k < quinellaOdds.size()) {
                pair.quinellaOdds = quinellaOdds[k];
            }
            if (k < wideOdds.size()) {
                pair.wideOdds = wideOdds[k];
            }
            pair.refunded = IsScratchedRunner(pair.first) || IsScratchedRunner(pair.second);
            JudgePair(pair, race.quinellaPayoffs, race.widePayoffs);
            race.pairs.push_back(std::move(pair));
        }
        return race;
    }

    bool IsScratchedRunner(int runner) const {
        return runner >= 1 && runner <= kMaxRunners && sheet_.IsScratched(runner);
    }

    ResultIndex results_;
    MemorySettingsStore settings_;
    RecordingMessageSink messages_;
    StandardRandomSource random_;
    SystemClock clock_;
    RemarkList remarks_;
    Services services_{settings_, messages_, random_, clock_, remarks_};
    RaceSheet sheet_{settings_};
};

} // namespace

void RunBacktest(const std::string& folder, BacktestVisitor& visitor) {
    std::vector<SkippedRace> unreadable;
    std::vector<ListedOddsFile> files = ListOddsFilesInBrowserOrder(folder, unreadable);
    for (const SkippedRace& skipped : unreadable) {
        visitor.OnSkipped(skipped);
    }
    RaceBacktester backtester(folder);
    for (const ListedOddsFile& file : files) {
        auto outcome = backtester.Run(file.path, file.name);
        if (const auto* race = std::get_if<BacktestRace>(&outcome)) {
            visitor.OnRace(*race);
        } else {
            visitor.OnSkipped({file.name, std::get<SkipReason>(outcome)});
        }
    }
}

namespace {

class ReportCollector : public BacktestVisitor {
public:
    explicit ReportCollector(BacktestReport& report) : report_(report) {}
    void OnRace(const BacktestRace& race) override {
        report_.figures.Add(race);
        report_.races.push_back(race);
    }
    void OnSkipped(const SkippedRace& skipped) override {
        report_.figures.AddSkipped(skipped.reason);
        report_.skipped.push_back(skipped);
    }

private:
    BacktestReport& report_;
};

} // namespace

BacktestReport CollectBacktest(const std::string& folder) {
    BacktestReport report;
    ReportCollector collector(report);
    RunBacktest(folder, collector);
    return report;
}

} // namespace velmora
