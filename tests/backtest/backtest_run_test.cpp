#include "backtest/backtest.h"
#include "backtest/backtest_fixtures.h"
#include "backtest/backtest_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

// Records what a run hands over, and asks it to stop after a given number of
// races and skipped races.
class StoppingVisitor : public BacktestVisitor {
public:
    StoppingVisitor(StopFlag& stop, std::size_t stopAfter) : stop_(stop), stopAfter_(stopAfter) {}

    void OnRace(const BacktestRace& race) override { Record(race.fileName); }
    void OnSkipped(const SkippedRace& skipped) override { Record(skipped.fileName); }

    std::vector<std::string> calls;

private:
    void Record(const std::string& fileName) {
        calls.push_back(fileName);
        if (calls.size() == stopAfter_) {
            stop_.Request();
        }
    }

    StopFlag& stop_;
    std::size_t stopAfter_;
};

class BacktestStop : public ::testing::Test {
protected:
    void SetUp() override { test::WriteBacktestFolder(dir.path()); }

    // What a run hands over when asked to stop after `stopAfter` calls, and how it ended.
    std::pair<std::vector<std::string>, BacktestEnd> RunStoppingAfter(std::size_t stopAfter,
                                                                      bool stopAtOnce) {
        StopFlag stop;
        if (stopAtOnce) {
            stop.Request();
        }
        StoppingVisitor visitor(stop, stopAfter);
        BacktestEnd end = RunBacktest(dir.path().string(), visitor, stop);
        return {visitor.calls, end};
    }

    test::TempDir dir;
};

TEST_F(BacktestStop, EndsBeforeTheNextRaceWhateverWasHandedOverLast) {
    const auto [all, whole] = RunStoppingAfter(0, false);
    EXPECT_EQ(whole, BacktestEnd::Complete);
    ASSERT_EQ(all.size(), 9U); // two races used, seven skipped

    // After an unreadable file, after a race used, after a race skipped.
    for (std::size_t after : {1U, 3U, 7U}) {
        const auto [calls, end] = RunStoppingAfter(after, false);
        EXPECT_EQ(end, BacktestEnd::Stopped) << after;
        EXPECT_EQ(calls,
                  std::vector<std::string>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(after)));
    }
}

TEST_F(BacktestStop, AStopBeforeTheStartHandsNothingOverAndOneAfterTheLastRaceChangesNothing) {
    const auto [none, stopped] = RunStoppingAfter(0, true);
    EXPECT_EQ(stopped, BacktestEnd::Stopped);
    EXPECT_TRUE(none.empty());

    const auto [all, complete] = RunStoppingAfter(9, false);
    EXPECT_EQ(complete, BacktestEnd::Complete);
    EXPECT_EQ(all.size(), 9U);
}

TEST(BacktestRunState, FollowsARunFromStartToItsEnd) {
    BacktestRun run;
    EXPECT_EQ(run.CurrentState(), BacktestRun::State::Idle);
    EXPECT_FALSE(run.RequestStop()); // nothing to stop

    BacktestRace race;
    race.fileName = "Zo-A.jra";
    race.grades = {"A", "B", "C", "D"};
    race.pairs.resize(2);
    run.Start("/pat/");
    EXPECT_TRUE(run.IsRunning());
    EXPECT_FALSE(run.IsCounted());
    run.SetTotal(3);
    run.OnRace(race);
    run.OnSkipped({"Zo-B.jra", SkipReason::NoResultFile});
    EXPECT_EQ(run.Done(), 2);
    EXPECT_EQ(run.Total(), 3);
    EXPECT_FALSE(run.CanSave()); // only a whole run is saved
    run.OnRace(race);
    run.OnRace(race); // a file added to the folder during the run
    EXPECT_EQ(run.Total(), 4);
    run.Finish(BacktestEnd::Complete);
    EXPECT_EQ(run.CurrentState(), BacktestRun::State::Complete);
    EXPECT_TRUE(run.CanSave());
    EXPECT_EQ(run.RunFigures().all.races, 3);
    EXPECT_EQ(run.RunFigures().all.pairsBet, 6);
    EXPECT_EQ(run.RunFigures().byWin1Grade.at("A").races, 3);
    EXPECT_EQ(run.Skipped().size(), 1U);

    // A new run starts from nothing.
    run.Start("/other/");
    EXPECT_EQ(run.Folder(), "/other/");
    EXPECT_TRUE(run.Races().empty());
    EXPECT_TRUE(run.Skipped().empty());
    EXPECT_EQ(run.RunFigures().all.races, 0);
    EXPECT_EQ(run.Done(), 0);
    EXPECT_FALSE(run.IsCounted());

    EXPECT_TRUE(run.RequestStop());
    EXPECT_FALSE(run.RequestStop()); // asked once
    EXPECT_TRUE(run.IsRunning());    // the races in hand still arrive
    run.OnRace(race);
    run.Finish(BacktestEnd::Stopped);
    EXPECT_EQ(run.CurrentState(), BacktestRun::State::Stopped);
    EXPECT_FALSE(run.CanSave());
    EXPECT_EQ(run.Races().size(), 1U);

    run.Start("/pat/");
    run.Fail("out of memory");
    EXPECT_EQ(run.CurrentState(), BacktestRun::State::Failed);
    EXPECT_EQ(run.Failure(), "out of memory");
    EXPECT_FALSE(run.IsRunning());
}

} // namespace
} // namespace velmora
