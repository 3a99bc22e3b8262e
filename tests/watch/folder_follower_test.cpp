#include "support/manual_clock.h"
#include "support/watched_race.h"
#include "watch/folder_follower.h"

#include "support/recording_recorder.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using patfixture::Race;

// Wall time moves with the steady time.
class ManualClock : public test::ManualClock {
public:
    std::int64_t SteadyMs() const override { return steady; }
    std::int64_t WallMs() const override { return 1'765'000'000'000 + steady; }
    std::int64_t steady = 1000;
};

// Also keeps every reading handed in, refused or not.
class ReadingsRecorder : public test::RecordingRecorder {
public:
    RecordOutcome Record(const SeenFile& file) override {
        seen.push_back(file);
        return test::RecordingRecorder::Record(file);
    }
    std::vector<SeenFile> seen;
};

class RecordingSink : public WatchSink {
public:
    void OnChange(const OddsChange& change) override { changes.push_back(change); }
    void OnNotice(const std::string& text) override { notices.push_back(text); }
    std::size_t NoticesWith(const std::string& text) const {
        return static_cast<std::size_t>(
            std::count_if(notices.begin(), notices.end(),
                          [&](const std::string& notice) { return notice.find(text) != std::string::npos; }));
    }
    std::vector<OddsChange> changes;
    std::vector<std::string> notices;
};

// Inotify queues an event before the call that caused it returns, so a test
// takes the events right after writing and moves the clock by hand: no sleeps.
class FolderFollowerTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(folder); }

    void Start() {
        follower = std::make_unique<FolderFollower>(folder.string(), recorder, clock, sink);
        std::string error;
        ASSERT_TRUE(follower->Start(error)) << error;
    }

    void WriteRace(const Race& written) const {
        test::ReplaceByRename(folder, patfixture::OddsFileName(written),
                              patfixture::WinPlaceOddsBytes(written));
        test::ReplaceByRename(folder, patfixture::QuinellaFileName(written),
                              patfixture::QuinellaOddsBytes(written));
    }

    void Wait(std::int64_t ms) {
        follower->TakeEvents();
        clock.steady += ms;
        follower->HandleSettled();
    }
    void Settle() { Wait(FolderFollower::kSettleMs); }

    // Permission bits bind only an unprivileged user: `steps` runs as the
    // user RunUnprivileged becomes, who is given the test's folders, and
    // returns the number of the first check that failed (0 when none did).
    int RunAsNobody(const std::function<int()>& steps) {
        constexpr uid_t kNobody = 65534;
        for (const fs::path& path : {dir.path(), folder}) {
            if (geteuid() == 0 && chown(path.c_str(), kNobody, kNobody) != 0) {
                return -1;
            }
        }
        const int failed = test::RunUnprivileged(steps);
        std::error_code ignored;
        fs::permissions(folder, fs::perms(0755), ignored); // for the clean-up when not root
        return failed;
    }

    test::TempDir dir;
    fs::path folder = dir.path() / "pat";
    ManualClock clock;
    ReadingsRecorder recorder;
    RecordingSink sink;
    std::unique_ptr<FolderFollower> follower;
    Race race = test::WatchedRace();
};

TEST_F(FolderFollowerTest, StartRecordsEveryOddsFileThereWithoutReportingIt) {
    WriteRace(race);
    WriteRace(test::WatchedRace(12));
    patfixture::WriteRaceFiles(test::WatchedRace(1), folder); // with entry file
    Start();
    EXPECT_EQ(recorder.seen.size(), 6U);
    EXPECT_EQ(follower->KnownFileCount(), 6U);
    EXPECT_TRUE(sink.changes.empty());
    EXPECT_EQ(follower->WaitTimeoutMs(), -1); // nothing to wait for: no timeout at all
}

TEST_F(FolderFollowerTest, AFileReplacedByRenameIsReportedOnceItsWritesSettle) {
    WriteRace(race);
    Start();
    race.runners[2].winOdds = "6.9";
    test::ReplaceByRename(folder, patfixture::OddsFileName(race), patfixture::WinPlaceOddsBytes(race));
    Wait(FolderFollower::kSettleMs - 1);
    EXPECT_TRUE(sink.changes.empty());
    EXPECT_EQ(follower->WaitTimeoutMs(), 1);
    Wait(1);
    ASSERT_EQ(sink.changes.size(), 1U);
    const OddsChange& change = sink.changes[0];
    EXPECT_EQ(change.file, "Zo-05050211.jra");
    EXPECT_EQ(change.kind, OddsFileKind::WinPlace);
    EXPECT_FALSE(change.isNew);
    EXPECT_EQ(change.course, "中山");
    EXPECT_EQ(change.meeting, "第5回 2日");
    EXPECT_EQ(change.race, "11R");
    EXPECT_EQ(change.runners, (std::vector<int>{3}));
    EXPECT_EQ(change.seenMs, clock.WallMs());
    ASSERT_EQ(recorder.seen.size(), 3U);
    EXPECT_EQ(recorder.seen.back().bytes, patfixture::WinPlaceOddsBytes(race));
    EXPECT_EQ(follower->WaitTimeoutMs(), -1);
}

TEST_F(FolderFollowerTest, AFileRewrittenInPlaceIsReportedWithTheRunnersOfItsMovedPairs) {
    WriteRace(race);
    Start();
    race.pairs[{2, 5}].quinella = "8.8";
    test::RewriteInPlace(folder, patfixture::QuinellaFileName(race), patfixture::QuinellaOddsBytes(race));
    Settle();
    ASSERT_EQ(sink.changes.size(), 1U);
    EXPECT_EQ(sink.changes[0].kind, OddsFileKind::Quinella);
    EXPECT_EQ(sink.changes[0].pairs, (std::vector<std::pair<int, int>>{{2, 5}}));
    EXPECT_EQ(sink.changes[0].runners, (std::vector<int>{2, 5}));
}

TEST_F(FolderFollowerTest, ABurstOfWritesIsOneChangeAgainstTheVersionBeforeIt) {
    WriteRace(race);
    Start();
    for (int i = 0; i < 20; ++i) {
        race.runners[0].winOdds = std::to_string(3 + i) + ".0";
        test::RewriteInPlace(folder, patfixture::OddsFileName(race), patfixture::WinPlaceOddsBytes(race));
        Wait(FolderFollower::kSettleMs / 3); // every write restarts the wait
    }
    EXPECT_TRUE(sink.changes.empty());
    Settle();
    ASSERT_EQ(sink.changes.size(), 1U);
    EXPECT_EQ(sink.changes[0].runners, (std::vector<int>{1}));
    EXPECT_EQ(recorder.seen.size(), 3U);
    EXPECT_EQ(recorder.seen.back().bytes, patfixture::WinPlaceOddsBytes(race));
}

TEST_F(FolderFollowerTest, AFileCaughtInTheMiddleOfAWriteIsReadAgainAfterTheWait) {
    WriteRace(race);
    Start();
    race.runners[4].winOdds = "1.8";
    const std::string bytes = patfixture::WinPlaceOddsBytes(race);
    const std::string name = patfixture::OddsFileName(race);
    test::RewriteInPlace(folder, name, bytes.substr(0, 200));
    Settle();
    EXPECT_TRUE(sink.changes.empty());
    EXPECT_EQ(recorder.seen.size(), 2U); // half a file is no version
    EXPECT_EQ(follower->WaitTimeoutMs(), FolderFollower::kSettleMs);

    // The writer finishes; the retry reads the file even with no new event.
    test::RewriteInPlace(folder, name, bytes);
    clock.steady += FolderFollower::kSettleMs;
    follower->HandleSettled();
    ASSERT_EQ(sink.changes.size(), 1U);
    EXPECT_EQ(sink.changes[0].runners, (std::vector<int>{5}));
    EXPECT_TRUE(sink.notices.empty());
}

TEST_F(FolderFollowerTest, AFileThatStaysBrokenIsGivenUpWithOneNotice) {
    Start();
    std::string bytes = patfixture::WinPlaceOddsBytes(race);
    bytes[43] = '9'; // an unknown format marker
    test::RewriteInPlace(folder, patfixture::OddsFileName(race), bytes);
    for (int attempt = 0; attempt <= FolderFollower::kMaxRetries + 2; ++attempt) {
        Settle();
    }
    EXPECT_TRUE(sink.changes.empty());
    ASSERT_EQ(sink.notices.size(), 1U);
    EXPECT_NE(sink.notices[0].find("ファイル形式が違います。"), std::string::npos);
    EXPECT_EQ(follower->WaitTimeoutMs(), -1); // and no more waking up for it
}

TEST_F(FolderFollowerTest, AFileFirstSeenIsNewAndTheSameBytesAgainAreNoChange) {
    Start();
    WriteRace(race);
    Settle();
    ASSERT_EQ(sink.changes.size(), 2U);
    EXPECT_TRUE(sink.changes[0].isNew && sink.changes[1].isNew);
    EXPECT_TRUE(sink.changes[0].runners.empty());
    EXPECT_TRUE(sink.changes[1].pairs.empty());

    WriteRace(race);
    Settle();
    EXPECT_EQ(sink.changes.size(), 2U);
    EXPECT_EQ(recorder.seen.size(), 4U); // the recorder still sees every reading
}

TEST_F(FolderFollowerTest, EndingReadsWhatIsStillWaitingWithoutWaitingForIt) {
    WriteRace(race);
    Start();
    race.runners[7].placeOddsMax = "3.0";
    test::ReplaceByRename(folder, patfixture::OddsFileName(race), patfixture::WinPlaceOddsBytes(race));
    follower->TakeEvents();
    follower->HandleAllWaiting();
    ASSERT_EQ(sink.changes.size(), 1U);
    EXPECT_EQ(sink.changes[0].runners, (std::vector<int>{8}));
}

TEST_F(FolderFollowerTest, AFolderRemovedAndCreatedAgainIsFollowedAgain) {
    WriteRace(race);
    Start();
    fs::remove_all(folder);
    follower->TakeEvents();
    EXPECT_FALSE(follower->IsFollowingFolder());
    ASSERT_EQ(sink.notices.size(), 1U);

    fs::create_directory(folder);
    follower->TakeEvents();
    EXPECT_TRUE(follower->IsFollowingFolder());
    test::ReplaceByRename(folder, patfixture::QuinellaFileName(race), patfixture::QuinellaOddsBytes(race));
    race.runners[1].winOdds = "4.4";
    test::ReplaceByRename(folder, patfixture::OddsFileName(race), patfixture::WinPlaceOddsBytes(race));
    Settle();
    // The quinella file came back as it was: no news.
    ASSERT_EQ(sink.changes.size(), 1U);
    EXPECT_EQ(sink.changes[0].runners, (std::vector<int>{2}));
}

TEST_F(FolderFollowerTest, FilesWrittenBeforeTheFolderIsSeenAgainAreNotMissed) {
    Start();
    const fs::path moved = dir.path() / "moved";
    fs::rename(folder, moved); // the folder moved away counts as gone
    follower->TakeEvents();
    EXPECT_FALSE(follower->IsFollowingFolder());
    fs::create_directory(folder);
    WriteRace(race); // before the watch has noticed the folder
    Settle();
    EXPECT_TRUE(follower->IsFollowingFolder());
    ASSERT_EQ(sink.changes.size(), 2U);
}

TEST_F(FolderFollowerTest, AMissingFolderAndItsParentsAreWaitedFor) {
    folder = dir.path() / "a" / "b" / "pat";
    Start();
    EXPECT_FALSE(follower->IsFollowingFolder());
    fs::create_directories(dir.path() / "a" / "b");
    follower->TakeEvents();
    EXPECT_FALSE(follower->IsFollowingFolder());
    fs::create_directory(folder);
    follower->TakeEvents();
    EXPECT_TRUE(follower->IsFollowingFolder());

    fs::remove_all(dir.path() / "a");
    follower->TakeEvents();
    fs::create_directories(folder);
    WriteRace(race);
    Settle();
    EXPECT_TRUE(follower->IsFollowingFolder());
    EXPECT_EQ(sink.changes.size(), 2U);
}

TEST_F(FolderFollowerTest, APipeWithAnOddsFileNameIsNotReadAndBlocksNothing) {
    Start();
    ASSERT_EQ(mkfifo((folder / "Zo-05050299.jra").c_str(), 0600), 0);
    WriteRace(race);
    Settle();
    EXPECT_EQ(sink.changes.size(), 2U);
    ASSERT_EQ(sink.notices.size(), 1U);
    EXPECT_NE(sink.notices[0].find("Zo-05050299.jra"), std::string::npos);
}

// The checks of a scenario run in another process, where a failed EXPECT
// would go unseen: the scenario returns the number of the first that failed.
class Steps {
public:
    void Check(bool ok) {
        ++count_;
        failed_ = failed_ == 0 && !ok ? count_ : failed_;
    }
    int Failed() const { return failed_; }

private:
    int count_ = 0;
    int failed_ = 0;
};

void ExpectEveryStep(int failedStep) {
    if (failedStep < 0) {
        GTEST_SKIP() << "could not run as an unprivileged user, whom permission bits bind";
    }
    EXPECT_EQ(failedStep, 0) << "the number of the first check that failed";
}

TEST_F(FolderFollowerTest, AFolderThatComesBackUnwatchableIsToldOnceAndFollowedAgainOnceItCanBeWatched) {
    WriteRace(race);
    ExpectEveryStep(RunAsNobody([&] {
        Steps steps;
        std::string error;
        follower = std::make_unique<FolderFollower>(folder.string(), recorder, clock, sink);
        steps.Check(follower->Start(error));
        fs::remove_all(folder);
        fs::create_directory(folder);
        fs::permissions(folder, fs::perms::none); // inotify_add_watch: EACCES
        follower->TakeEvents();
        steps.Check(!follower->IsFollowingFolder() && sink.NoticesWith("Permission denied") == 1);
        steps.Check(follower->WaitTimeoutMs() == FolderFollower::kFirstRetryMs);
        // The try that is due fails again: said no more, and the pause grows.
        clock.steady += FolderFollower::kFirstRetryMs;
        follower->HandleSettled();
        steps.Check(follower->WaitTimeoutMs() == 2 * FolderFollower::kFirstRetryMs);
        steps.Check(sink.NoticesWith("Permission denied") == 1);
        fs::permissions(folder, fs::perms(0755));
        follower->TakeEvents(); // the change of mode is seen above the folder: no waiting
        steps.Check(follower->IsFollowingFolder() && sink.NoticesWith("can be watched again") == 1);
        steps.Check(follower->WaitTimeoutMs() == -1);
        race.runners[1].winOdds = "4.4";
        WriteRace(race);
        Settle();
        steps.Check(sink.changes.size() == 1 && sink.changes[0].runners == std::vector<int>{2});
        steps.Check(recorder.seen.size() == 4);
        return steps.Failed();
    }));
}

TEST_F(FolderFollowerTest, AFolderThatCantBeWatchedAtStartIsTriedAgainAfterAPauseThatGrowsToABound) {
    WriteRace(race);
    ExpectEveryStep(RunAsNobody([&] {
        Steps steps;
        std::string error;
        fs::permissions(folder, fs::perms::none);
        follower = std::make_unique<FolderFollower>(folder.string(), recorder, clock, sink);
        steps.Check(follower->Start(error) && !follower->IsFollowingFolder());
        std::vector<int> pauses;
        for (int i = 0; i < 7; ++i) {
            pauses.push_back(follower->WaitTimeoutMs());
            clock.steady += pauses.back();
            follower->HandleSettled();
        }
        steps.Check(pauses == std::vector<int>{1000, 2000, 4000, 8000, 16000, 30000, 30000});
        steps.Check(sink.NoticesWith("Permission denied") == 1);
        fs::permissions(folder, fs::perms(0755));
        // No event taken: the try that is due finds it by itself.
        clock.steady += follower->WaitTimeoutMs();
        follower->HandleSettled();
        steps.Check(follower->IsFollowingFolder());
        Settle(); // what was there all along is read now, as new
        steps.Check(sink.changes.size() == 2 && recorder.seen.size() == 2);
        return steps.Failed();
    }));
}

TEST_F(FolderFollowerTest, AnUnreadableFileIsToldOnceAndReadWhenItsModeChanges) {
    ExpectEveryStep(RunAsNobody([&] {
        Steps steps;
        std::string error;
        follower = std::make_unique<FolderFollower>(folder.string(), recorder, clock, sink);
        steps.Check(follower->Start(error));
        const std::string name = patfixture::OddsFileName(race);
        test::ReplaceByRename(folder, name, patfixture::WinPlaceOddsBytes(race));
        fs::permissions(folder / name, fs::perms::none);
        Settle();
        steps.Check(sink.changes.empty() && sink.NoticesWith(name + ": cannot be read") == 1);
        fs::permissions(folder / name, fs::perms::none); // touched, still unreadable: no more telling
        Settle();
        steps.Check(sink.NoticesWith("cannot be read") == 1 && follower->WaitTimeoutMs() == -1);
        fs::permissions(folder / name, fs::perms(0644));
        Settle();
        steps.Check(sink.changes.size() == 1 && sink.changes[0].isNew && recorder.seen.size() == 1);
        return steps.Failed();
    }));
}

TEST_F(FolderFollowerTest, AVersionTheHistoryRefusesIsReportedAsNotRecordedAndCountedUntilItIsHeld) {
    const std::string name = patfixture::OddsFileName(race);
    test::ReplaceByRename(folder, name, patfixture::WinPlaceOddsBytes(race));
    recorder.failNext = 1;
    Start();
    EXPECT_EQ(follower->UnrecordedCount(), 1U); // the silent reading at the start counts too

    race.runners[0].winOdds = "9.9";
    const std::string refused = patfixture::WinPlaceOddsBytes(race);
    recorder.failNext = 1;
    test::ReplaceByRename(folder, name, refused);
    Settle();
    ASSERT_EQ(sink.changes.size(), 1U);
    EXPECT_FALSE(sink.changes[0].recorded);
    EXPECT_EQ(follower->UnrecordedCount(), 2U);

    test::ReplaceByRename(folder, name, refused); // the same bytes again, kept this time
    Settle();
    EXPECT_EQ(sink.changes.size(), 1U);
    EXPECT_EQ(follower->UnrecordedCount(), 1U);

    race.runners[0].winOdds = "8.8";
    test::ReplaceByRename(folder, name, patfixture::WinPlaceOddsBytes(race));
    Settle();
    ASSERT_EQ(sink.changes.size(), 2U);
    EXPECT_TRUE(sink.changes[1].recorded);
    EXPECT_EQ(follower->UnrecordedCount(), 1U);
    EXPECT_EQ(recorder.Versions((folder / name).string()),
              (std::vector<std::string>{refused, patfixture::WinPlaceOddsBytes(race)}));
}

} // namespace
} // namespace velmora
