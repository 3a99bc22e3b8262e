#include "cli/watch_command.h"

#include "backtest/backtest.h"
#include "cli/cli_command.h"
#include "cli/commands.h"
#include "common/clock.h"
#include "common/json.h"
#include "common/text.h"
#include "settings/settings_ops.h"
#include "watch/broken_pipe_guard.h"
#include "watch/follow_loop.h"
#include "watch/stop_signals.h"

#include <ctime>
#include <ostream>

namespace velmora::cli {
namespace {

constexpr const char* kPrefix = "velmora-cli watch: ";

const CommandSpec kWatchSpec{
    "watch",
    "watch [--json] [FOLDER]",
    "follow a PAT folder: one line per new version\nof a race's odds files, until SIGINT or SIGTERM",
    {{"json"}},
    {},
    "FOLDER",
    false,
};

// Local time of day, as the desktop's status bar shows it.
std::string ClockText(std::int64_t epochMs) {
    return FormatLocalTime(epochMs, "%H:%M:%S", "--:--:--");
}

std::string RaceText(const OddsChange& change) {
    return change.course + " " + change.meeting + " " + change.race;
}

std::string PairText(const std::pair<int, int>& pair) {
    return std::to_string(pair.first) + "-" + std::to_string(pair.second);
}

std::string WhatChanged(const OddsChange& change) {
    if (change.isNew) {
        return "new";
    }
    if (change.runners.empty()) {
        return "no runner's odds moved";
    }
    std::string text = "runners";
    for (int runner : change.runners) {
        text += " " + std::to_string(runner);
    }
    return text;
}

// Writes each change and notice as it comes, flushed at once for whoever
// reads the pipe. Closed once the output fails (its reader went away: EPIPE).
class StreamSink : public WatchSink {
public:
    StreamSink(std::ostream& out, std::ostream& err, bool json) : out_(out), err_(err), json_(json) {}

    void OnChange(const OddsChange& change) override {
        if (closed_) {
            return;
        }
        out_ << (json_ ? ChangeJson(change) : ChangeLine(change)) << '\n';
        out_.flush();
        closed_ = !out_;
    }
    void OnNotice(const std::string& text) override {
        err_ << kPrefix << VisibleText(text) << '\n';
        err_.flush();
    }
    bool IsClosed() const override { return closed_; }

private:
    std::ostream& out_;
    std::ostream& err_;
    bool json_;
    bool closed_ = false;
};

int FolderError(CliContext& context, const std::string& reason, const std::string& folder) {
    context.err << kPrefix << reason << VisibleText(folder) << '\n';
    return kExitMessage;
}

std::string VersionsText(std::size_t count) {
    return count == 1 ? "1 version was" : std::to_string(count) + " versions were";
}

// What went wrong on the way is summed up on the error stream and makes the
// exit status 1.
int EndOfWatch(CliContext& context, FollowEnd end, const StreamSink& sink, const FolderFollower& follower) {
    bool told = false;
    if (end == FollowEnd::Failed) {
        context.err << kPrefix << "waiting for changes failed\n";
        told = true;
    }
    if (sink.IsClosed()) {
        context.err << kPrefix
                    << "the output was closed or failed; the versions still waiting were recorded\n";
        told = true;
    }
    if (follower.UnrecordedCount() > 0) {
        context.err << kPrefix << VersionsText(follower.UnrecordedCount())
                    << " not recorded in the odds history\n";
        told = true;
    }
    return told ? kExitMessage : kExitDone;
}

} // namespace

std::string ChangeLine(const OddsChange& change) {
    return ClockText(change.seenMs) + "  " + VisibleText(RaceText(change)) + "  " + VisibleText(change.file) +
           "  " + WhatChanged(change) + (change.recorded ? "" : "  not recorded");
}

std::string ChangeJson(const OddsChange& change) {
    Json runners = Json::array();
    for (int runner : change.runners) {
        runners.push_back(runner);
    }
    Json json = {{"time", ClockText(change.seenMs)},
                 {"seen_ms", change.seenMs},
                 {"modified_ms", change.modifiedMs},
                 {"course", JsonText(change.course)},
                 {"meeting", JsonText(change.meeting)},
                 {"race", JsonText(change.race)},
                 {"race_name", JsonText(change.raceName)},
                 {"file", JsonText(change.file)},
                 {"kind", change.kind == OddsFileKind::WinPlace ? "win_place" : "quinella"},
                 {"new", change.isNew},
                 {"runners", std::move(runners)}};
    if (change.kind == OddsFileKind::Quinella) {
        Json pairs = Json::array();
        for (const auto& pair : change.pairs) {
            pairs.push_back(PairText(pair));
        }
        json["pairs"] = std::move(pairs);
    }
    json["recorded"] = change.recorded;
    return DumpJson(json);
}

int RunWatch(const std::vector<std::string>& args, CliContext& context) {
    ParsedCommand parsed;
    if (auto status = ReadArguments(kWatchSpec, args, context.out, context.err, parsed)) {
        return *status;
    }
    const std::string folder = parsed.operand.value_or(GetPatFolder(context.settings));
    switch (CheckBacktestFolder(folder)) {
    case BacktestFolderState::Missing:
        return FolderError(context, "no such folder: ", folder);
    case BacktestFolderState::Unreadable:
        return FolderError(context, "cannot read the folder: ", folder);
    case BacktestFolderState::Ready:
        break;
    }
    // Before anything else, so that a signal in the start-up scan waits too.
    StopSignals stop;
    if (!stop.IsOpen()) {
        context.err << kPrefix << "cannot catch SIGINT and SIGTERM\n";
        return kExitMessage;
    }
    // A reader of the output that goes away must not cost the versions still waiting.
    BrokenPipeGuard brokenPipe;
    SystemClock clock;
    StreamSink sink(context.out, context.err, parsed.Has("json"));
    FolderFollower follower(folder, context.recorder, clock, sink);
    std::string error;
    if (!follower.Start(error)) {
        context.err << kPrefix << VisibleText(error) << '\n';
        return kExitMessage;
    }
    context.err << kPrefix << "following " << VisibleText(follower.Folder().string()) << " ("
                << follower.KnownFileCount() << " odds files)\n";
    context.err.flush();
    const FollowEnd end = RunFollowLoop(follower, stop.Fd());
    context.out.flush();
    return EndOfWatch(context, end, sink, follower);
}

const CliCommand kWatchCommand{kWatchSpec, RunWatch};

} // namespace velmora::cli
