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

bool AcceptsDesktopArguments(const QStringList& arguments, QString& error) {
    QCommandLineParser parser;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().constFirst());
        return false;
    }
    return true;
}

} // namespace velmora
