#include "test_switches.h"

#include <QCommandLineParser>

namespace velmora {

std::optional<TestSwitches> ParseTestSwitches(const QStringList& arguments, QString& error) {
    QCommandLineParser parser;
    QCommandLineOption open(QStringLiteral("test-open"),
                            QStringLiteral("Test only: opens a window at start."),
                            QStringLiteral("browser|options|backtest|oddsmovement"));
    QCommandLineOption quit(QStringLiteral("test-quit-after"),
                            QStringLiteral("Test only: closes the program after this many milliseconds."),
                            QStringLiteral("ms"));
    QCommandLineOption load(QStringLiteral("test-load"),
                            QStringLiteral("Test only: loads the race of this odds file at start."),
                            QStringLiteral("file"));
    QCommandLineOption log(QStringLiteral("test-follow-log"),
                           QStringLiteral("Test only: appends a line per reload and list change."),
                           QStringLiteral("file"));
    parser.addOptions({open, quit, load, log});
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().constFirst());
        return std::nullopt;
    }
    TestSwitches switches;
    switches.openWindow = parser.value(open);
    switches.loadRace = parser.value(load);
    switches.followLog = parser.value(log);
    const QStringList windows{QString(), QStringLiteral("browser"), QStringLiteral("options"),
                              QStringLiteral("backtest"), QStringLiteral("oddsmovement")};
    if (!windows.contains(switches.openWindow)) {
        error = QStringLiteral("Unknown window for --test-open: %1").arg(switches.openWindow);
        return std::nullopt;
    }
    if (parser.isSet(quit)) {
        bool ok = false;
        switches.quitAfterMs = parser.value(quit).toInt(&ok);
        if (!ok || switches.quitAfterMs <= 0) {
            error = QStringLiteral("--test-quit-after needs a positive number of milliseconds");
            return std::nullopt;
        }
    }
    return switches;
}

} // namespace velmora
