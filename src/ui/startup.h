#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class QCoreApplication;
class QTranslator;

namespace velmora {

// A native Wayland client cannot place its own windows, so the stored window
// positions would be lost: under Wayland with XWayland at hand, and no platform
// chosen by the user, the program runs on xcb.
bool PrefersXcb(const QByteArray& qpaPlatform, const QByteArray& waylandDisplay, const QByteArray& display);
// Applies PrefersXcb to this process's environment; call before the application exists.
void PreferXcbUnderWayland();

// Qt's own dialogs and buttons in Japanese, whatever the user's language: the
// program is Japanese throughout. False when Qt's translation is not installed.
bool InstallJapaneseQtTexts(QCoreApplication& app, QTranslator& translator);

// The usage text when the command line asks for it (--help or -h), else
// nothing; read before Qt starts, so it needs no display.
std::optional<QString> HelpText(const QStringList& arguments);

// Switches only the desktop test uses: open one more window at start, and close
// the main window after a delay, as a user would; load a race at start and log
// what following it does.
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
