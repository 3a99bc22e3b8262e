#include "follow/race_follow.h"

#include "engine/worked_pat_race.h"
#include "patdata/file_naming.h"
#include "race/race_loader.h"
#include "results/result_display.h"
#include "support/manual_clock.h"
#include "support/recording_recorder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>

namespace velmora {
namespace {

// The wall time of a time of day on the race day, in the local zone.
std::int64_t RaceDayMs(int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = 2025 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 6;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local)) * 1000 + 250;
}

class FixedFollowClock : public test::ManualClock {
public:
    FixedFollowClock() { wallMs = RaceDayMs(9, 5, 7); }
};

// Runs the follower from inside a message box, as a window's timer would.
class ReenteringSink : public MessageSink {
public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
        shown.push_back({text, caption, icon});
        if (follow != nullptr) {
            stepsInside.push_back(follow->FilesSettled());
        }
    }
    RaceFollow* follow = nullptr;
    std::vector<Message> shown;
    std::vector<FollowStep> stepsInside;
};

class RaceFollowTest : public ::testing::Test {
protected:
    RaceFollowTest() {
        race = test::WorkedPatRace();
        race.result = patfixture::Result{};
        race.result->order = {3, 1};
        Write(race);
        path = (dir.path() / patfixture::OddsFileName(race)).string();
    }

    void Write(const patfixture::Race& version) { patfixture::WriteRaceFiles(version, dir.path()); }
    // The same race with the first runner's win odds changed.
    patfixture::Race WithFirstOdds(const std::string& odds) {
        patfixture::Race next = race;
        next.runners[0].winOdds = odds;
        return next;
    }
    void WriteOddsBytes(const std::string& bytes) { dir.Write(patfixture::OddsFileName(race), bytes); }

    test::TempDir dir;
    test::EngineHarness h;
    test::RecordingRecorder recorder;
    FixedFollowClock clock;
    RaceFollow follow{h.sheet, h.services, recorder, clock};
    patfixture::Race race;
    std::string path;
};

TEST_F(RaceFollowTest, ARewrittenRaceIsReloadedAndEveryVersionRecorded) {
    follow.LoadSelection(path);
    ASSERT_EQ(follow.FollowedPath(), path);
    EXPECT_EQ(follow.PanelText(), "更新 09:05:07");
    EXPECT_EQ(follow.FilesSettled(), FollowStep::Nothing);

    Write(WithFirstOdds("7.7"));
    clock.wallMs = RaceDayMs(14, 30, 2);
    EXPECT_EQ(follow.FilesSettled(), FollowStep::Reloaded);
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 1), "7.7");
    EXPECT_FALSE(h.sheet.Text(Column::TanPopular, 1).empty()) << "recomputed as a load does";
    EXPECT_EQ(follow.PanelText(), "更新 14:30:02");
    EXPECT_EQ(follow.FilesSettled(), FollowStep::Nothing);

    EXPECT_EQ(recorder.Versions(path).size(), 2u);
    EXPECT_EQ(recorder.Versions(GetQuinellaFileName(path)).size(), 1u);
    EXPECT_TRUE(h.messages.messages.empty());
}

// Hands the history each version, and lets PAT write a new one the first time.
class WritingRecorder : public test::RecordingRecorder {
public:
    RecordOutcome Record(const SeenFile& file) override {
        if (writeOnce) {
            std::function<void()> write = std::move(writeOnce);
            writeOnce = nullptr;
            write();
        }
        return RecordingRecorder::Record(file);
    }
    std::function<void()> writeOnce;
};

// PAT may write while a version is being taken in: the history holds the
// version the sheet shows, and the write is the next version.
TEST_F(RaceFollowTest, WhatIsShownIsWhatIsRecordedWhateverIsWrittenMeanwhile) {
    WritingRecorder history;
    RaceFollow watched(h.sheet, h.services, history, clock);
    const patfixture::Race shown = WithFirstOdds("7.7");
    patfixture::Race meanwhile = WithFirstOdds("9.9");
    meanwhile.pairs[{1, 2}] = {"99.9", "40.0", "45.0"};
    ASSERT_NE(patfixture::QuinellaOddsBytes(shown), patfixture::QuinellaOddsBytes(meanwhile));
    watched.LoadSelection(path);

    Write(shown);
    history.writeOnce = [&] { Write(meanwhile); };
    EXPECT_EQ(watched.FilesSettled(), FollowStep::Reloaded);
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 1), "7.7");
    const std::string quinellaPath = GetQuinellaFileName(path);
    EXPECT_EQ(history.Versions(path).back(), patfixture::WinPlaceOddsBytes(shown));
    EXPECT_EQ(history.Versions(quinellaPath).back(), patfixture::QuinellaOddsBytes(shown));

    EXPECT_EQ(watched.FilesSettled(), FollowStep::Reloaded);
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 1), "9.9");
    EXPECT_EQ(history.Versions(quinellaPath).back(), patfixture::QuinellaOddsBytes(meanwhile));
}

TEST_F(RaceFollowTest, EditsAreKeptUntilTheUserReloads) {
    follow.LoadSelection(path);
    h.sheet.SetText(Column::TanOdds, 2, "99.9");
    EXPECT_TRUE(follow.SheetEditedSinceLoad());

    Write(WithFirstOdds("7.7"));
    EXPECT_EQ(follow.FilesSettled(), FollowStep::Pending);
    EXPECT_EQ(follow.PanelText(), "更新あり");
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 2), "99.9");
    EXPECT_EQ(recorder.Versions(path).size(), 2u) << "a kept-back version is still recorded";
    EXPECT_EQ(follow.FilesSettled(), FollowStep::Nothing);

    follow.Reload();
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 1), "7.7");
    EXPECT_NE(h.sheet.Text(Column::TanOdds, 2), "99.9");
    EXPECT_EQ(follow.PanelText(), "更新 09:05:07");
    EXPECT_FALSE(follow.SheetEditedSinceLoad());
}

TEST_F(RaceFollowTest, WithAutoReloadOffANewVersionWaitsUntilItIsSwitchedOnAgain) {
    follow.LoadSelection(path);
    EXPECT_EQ(follow.SetAutoReload(false), FollowStep::Nothing);

    Write(WithFirstOdds("7.7"));
    EXPECT_EQ(follow.FilesSettled(), FollowStep::Pending);
    EXPECT_EQ(follow.PanelText(), "更新あり");
    EXPECT_NE(h.sheet.Text(Column::TanOdds, 1), "7.7");
    EXPECT_EQ(recorder.Versions(path).size(), 2u);

    EXPECT_EQ(follow.SetAutoReload(true), FollowStep::Reloaded);
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 1), "7.7");
    EXPECT_EQ(follow.PanelText(), "更新 09:05:07");
    EXPECT_EQ(follow.SetAutoReload(true), FollowStep::Nothing);

    // Edits made meanwhile still win over switching it on.
    follow.SetAutoReload(false);
    Write(WithFirstOdds("8.8"));
    EXPECT_EQ(follow.FilesSettled(), FollowStep::Pending);
    h.sheet.SetText(Column::TanOdds, 2, "99.9");
    EXPECT_EQ(follow.SetAutoReload(true), FollowStep::Nothing);
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 2), "99.9");
    EXPECT_EQ(follow.PanelText(), "更新あり");
}

TEST_F(RaceFollowTest, AStalledWatchIsShownUntilItWorksAndItsRetriesBackOffToThirtySeconds) {
    using std::chrono::milliseconds;
    follow.LoadSelection(path);
    std::vector<milliseconds> waits;
    for (int i = 0; i < 8; ++i) {
        waits.push_back(follow.WatchStalled());
        EXPECT_EQ(follow.PanelText(), "監視停止中");
    }
    EXPECT_EQ(waits, (std::vector<milliseconds>{milliseconds(1000), milliseconds(2000), milliseconds(4000),
                                                milliseconds(8000), milliseconds(16000), milliseconds(30000),
                                                milliseconds(30000), milliseconds(30000)}));
    // Even a version held back for the user's edits waits behind the stall.
    h.sheet.SetText(Column::TanOdds, 2, "99.9");
    Write(WithFirstOdds("7.7"));
    EXPECT_EQ(follow.FilesSettled(), FollowStep::Pending);
    EXPECT_EQ(follow.PanelText(), "監視停止中");

    follow.WatchWorks();
    EXPECT_EQ(follow.PanelText(), "更新あり");
    EXPECT_EQ(follow.WatchStalled(), milliseconds(1000)) << "a new stall starts short again";
    // Nothing followed, nothing to say.
    follow.Forget();
    EXPECT_EQ(follow.PanelText(), "");
    EXPECT_FALSE(follow.IsWatchStalled());
}

TEST_F(RaceFollowTest, TheResultDisplayIsRedoneWhenItWasShown) {
    follow.LoadSelection(path);
    cmdResult_Click(h.sheet, h.services);
    ASSERT_FALSE(h.sheet.Items(SheetList::RaceResult).empty());

    Write(WithFirstOdds("7.7"));
    ASSERT_EQ(follow.FilesSettled(), FollowStep::Reloaded);
    EXPECT_FALSE(h.sheet.Items(SheetList::RaceResult).empty());
}

TEST_F(RaceFollowTest, AHalfWrittenFileIsRetriedSilentlyAndTheSheetKeepsTheLastGoodVersion) {
    follow.LoadSelection(path);
    const std::string good = patfixture::WinPlaceOddsBytes(WithFirstOdds("7.7"));

    WriteOddsBytes(good.substr(0, good.size() / 2));
    EXPECT_EQ(follow.FilesSettled(), FollowStep::RetryLater);
    patfixture::Race wrongMarker = WithFirstOdds("8.8");
    wrongMarker.formatMarker = "9";
    WriteOddsBytes(patfixture::WinPlaceOddsBytes(wrongMarker));
    EXPECT_EQ(follow.FilesSettled(), FollowStep::RetryLater);
    EXPECT_NE(h.sheet.Text(Column::TanOdds, 1), "8.8");

    WriteOddsBytes(good);
    EXPECT_EQ(follow.FilesSettled(), FollowStep::Reloaded);
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 1), "7.7");
    EXPECT_TRUE(h.messages.messages.empty());
    EXPECT_EQ(recorder.Versions(path).size(), 2u) << "no half version is recorded";
}

TEST_F(RaceFollowTest, AFileThatStaysBrokenIsReportedOncePerBurst) {
    follow.LoadSelection(path);
    const std::string shownOdds = h.sheet.Text(Column::TanOdds, 1);
    const std::string good = patfixture::WinPlaceOddsBytes(race);

    for (std::size_t cut : {good.size() / 2, good.size() / 3, good.size() / 4}) {
        WriteOddsBytes(good.substr(0, cut));
        for (int i = 0; i < RaceFollow::kRetryLimit; ++i) {
            follow.FilesSettled();
        }
    }
    ASSERT_FALSE(h.messages.messages.empty());
    EXPECT_EQ(h.messages.messages.back().text, kReadFailedMessage);
    const std::size_t reported = h.messages.messages.size();

    // The same messages as loading the broken file by hand, shown once.
    test::EngineHarness byHand;
    UpdateFormFromSelection(byHand.sheet, byHand.services, path);
    EXPECT_EQ(h.messages.messages, byHand.messages.messages);
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 1), shownOdds);
    EXPECT_EQ(h.sheet.sOddsFileName, path);

    // A good version ends the burst; the next broken one may be reported again.
    Write(WithFirstOdds("7.7"));
    EXPECT_EQ(follow.FilesSettled(), FollowStep::Reloaded);
    WriteOddsBytes(good.substr(0, 10));
    for (int i = 0; i < RaceFollow::kRetryLimit; ++i) {
        follow.FilesSettled();
    }
    EXPECT_EQ(h.messages.messages.size(), 2 * reported);
}

TEST_F(RaceFollowTest, AFolderRemovedIsWaitedForSilentlyAndFollowedAgainWhenBack) {
    follow.LoadSelection(path);
    std::filesystem::remove_all(dir.path());
    for (int i = 0; i <= RaceFollow::kRetryLimit; ++i) {
        EXPECT_EQ(follow.FilesSettled(), FollowStep::Nothing);
    }
    EXPECT_TRUE(h.messages.messages.empty());
    EXPECT_EQ(h.sheet.sOddsFileName, path);

    std::filesystem::create_directory(dir.path());
    Write(WithFirstOdds("7.7"));
    EXPECT_EQ(follow.FilesSettled(), FollowStep::Reloaded);
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 1), "7.7");
}

TEST_F(RaceFollowTest, AFollowerCalledFromInsideItsOwnMessageBoxWaits) {
    ReenteringSink sink;
    Services services{h.settings, sink, h.random, h.clock, h.remarks};
    RaceFollow reentered{h.sheet, services, recorder, clock};
    sink.follow = &reentered;
    reentered.LoadSelection(path);
    const std::string good = patfixture::WinPlaceOddsBytes(race);
    WriteOddsBytes(good.substr(0, 20));
    for (int i = 0; i < RaceFollow::kRetryLimit; ++i) {
        reentered.FilesSettled();
    }
    ASSERT_FALSE(sink.stepsInside.empty());
    for (FollowStep step : sink.stepsInside) {
        EXPECT_EQ(step, FollowStep::RetryLater);
    }
}

TEST_F(RaceFollowTest, WhatIsFollowedFollowsTheSheet) {
    EXPECT_FALSE(follow.IsFollowing());
    EXPECT_EQ(follow.PanelText(), "");
    EXPECT_EQ(follow.FilesSettled(), FollowStep::Nothing);

    follow.OpenFile(path);
    EXPECT_EQ(follow.Folder(), dir.path().string());
    EXPECT_EQ(follow.WatchedFiles().size(), 2u);

    // A file the open command refuses leaves the race on the sheet, still followed.
    dir.Write("Zo-99999999.jra", "short");
    follow.OpenFile((dir.path() / "Zo-99999999.jra").string());
    EXPECT_EQ(follow.FollowedPath(), path);

    // The browser's load of a refused race clears the sheet: nothing is followed.
    patfixture::Race small = race;
    small.fileId = "05010101.jra";
    small.runners.resize(7);
    small.pairs.clear();
    small.result.reset();
    Write(small);
    follow.LoadSelection((dir.path() / "Zo-05010101.jra").string());
    EXPECT_FALSE(follow.IsFollowing());
    EXPECT_EQ(follow.PanelText(), "");
}

} // namespace
} // namespace velmora
