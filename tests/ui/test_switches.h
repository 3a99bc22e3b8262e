#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// Switches only the desktop test program takes: open one more window at start,
// and close the main window after a delay, as a user would; load a race at
// start and log what following it does.
struct TestSwitches {
    QString openWindow;  // "browser", "options", "backtest", "oddsmovement" or empty
    int quitAfterMs = 0; // 0: stay open
    QString loadRace;    // an odds file loaded at start, as the browser loads it
    QString followLog;   // a file that gets a line per load, reload and list change
};

// The switches of a command line (program name first); nothing, with `error`
// set, for an unknown switch or a bad value.
std::optional<TestSwitches> ParseTestSwitches(const QStringList& arguments, QString& error);

} // namespace velmora
