#include "ui/startup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velmora {

bool PrefersXcb(const QByteArray& qpaPlatform, const QByteArray& waylandDisplay, const QByteArray& display) {
    return qpaPlatform.isEmpty() && !waylandDisplay.isEmpty() && !display.isEmpty();
}

void PreferXcbUnderWayland() {
    if (PrefersXcb(qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"))) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
}

bool InstallJapaneseQtTexts(QCoreApplication& app, QTranslator& translator) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    if (!translator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    return app.installTranslator(&translator);
}

std::optional<QString> HelpText(const QStringList& arguments) {
    const QStringList asking{QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("-?")};
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QStringLiteral("--")) {
            break;
        }
        if (asking.contains(argument)) {
            return QStringLiteral(
                "Usage: velmora [--help | --version]\n"
                "Velmora: recommended quinella pairs from win and place odds, on the desktop.\n"
                "\n"
                "  -h, --help   show this text and exit\n"
                "  --version    show the version and exit\n"
                "\n"
                "Without a screen: velmora-cli --help\n");
        }
    }
    return std::nullopt;
}

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
