#include "support/watched_race.h"
#include "watch/follow_loop.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Shared between the loop and the writer thread, which waits for each version
// to be taken before it writes the next.
class CountingRecorder : public OddsRecorder {
public:
    RecordOutcome Record(const SeenFile& file) override {
        std::lock_guard lock(mutex_);
        seen_.push_back(file.bytes);
        changed_.notify_all();
        return RecordOutcome::Added;
    }
    bool WaitForCount(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return seen_.size() >= count; });
    }
    std::vector<std::string> Seen() {
        std::lock_guard lock(mutex_);
        return seen_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> seen_;
};

class CountingSink : public WatchSink {
public:
    void OnChange(const OddsChange&) override { ++changes; }
    void OnNotice(const std::string&) override {}
    int changes = 0; // read only after the loop has ended
};

struct StopPipe {
    int fds[2] = {-1, -1};
    StopPipe() { EXPECT_EQ(pipe(fds), 0); }
    ~StopPipe() {
        close(fds[0]);
        close(fds[1]);
    }
    void Stop() const { EXPECT_EQ(write(fds[1], "x", 1), 1); }
};

TEST(FollowLoop, RecordsEveryVersionWrittenOverTimeAndEndsWhenTold) {
    test::TempDir dir;
    patfixture::Race race = test::WatchedRace();
    test::ReplaceByRename(dir.path(), patfixture::OddsFileName(race), patfixture::WinPlaceOddsBytes(race));
    CountingRecorder recorder;
    CountingSink sink;
    SystemClock clock;
    FolderFollower follower(dir.path().string(), recorder, clock, sink);
    std::string error;
    ASSERT_TRUE(follower.Start(error)) << error;

    std::vector<std::string> written = {patfixture::WinPlaceOddsBytes(race)};
    StopPipe stop;
    std::thread writer([&] {
        for (const char* winOdds : {"2.8", "3.0", "2.2"}) {
            race.runners[0].winOdds = winOdds;
            written.push_back(patfixture::WinPlaceOddsBytes(race));
            test::ReplaceByRename(dir.path(), patfixture::OddsFileName(race), written.back());
            if (!recorder.WaitForCount(written.size())) {
                break;
            }
        }
        stop.Stop();
    });
    EXPECT_EQ(RunFollowLoop(follower, stop.fds[0]), FollowEnd::Stopped);
    writer.join();
    EXPECT_EQ(recorder.Seen(), written);
    EXPECT_EQ(sink.changes, 3);
}

// The reader of the output went away after the first change.
class ClosingSink : public WatchSink {
public:
    void OnChange(const OddsChange&) override { ++changes; }
    void OnNotice(const std::string&) override {}
    bool IsClosed() const override { return changes > 0; }
    int changes = 0;
};

TEST(FollowLoop, AClosedSinkEndsTheLoopWithEveryWaitingVersionRecordedAndNoMoreReported) {
    test::TempDir dir;
    CountingRecorder recorder;
    ClosingSink sink;
    SystemClock clock;
    FolderFollower follower(dir.path().string(), recorder, clock, sink);
    std::string error;
    ASSERT_TRUE(follower.Start(error)) << error;
    std::vector<std::string> written;
    for (int raceNo : {10, 11, 12}) {
        const patfixture::Race race = test::WatchedRace(raceNo);
        written.push_back(patfixture::WinPlaceOddsBytes(race));
        test::ReplaceByRename(dir.path(), patfixture::OddsFileName(race), written.back());
    }
    // Only there to end the loop should it go on regardless.
    StopPipe stop;
    std::thread stopper([&] {
        recorder.WaitForCount(written.size());
        stop.Stop();
    });
    EXPECT_EQ(RunFollowLoop(follower, stop.fds[0]), FollowEnd::OutputClosed);
    stopper.join();
    std::vector<std::string> seen = recorder.Seen();
    std::sort(seen.begin(), seen.end());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(seen, written);
    EXPECT_EQ(sink.changes, 1);
}

} // namespace
} // namespace velmora
