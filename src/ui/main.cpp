#include "qtsettings/qsettings_store.h"
#include "shell/remarks.h"
#include "ui/frmMain.h"
#include "ui/startup.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <iostream>
#include <string_view>

namespace {

void OpenTestWindow(velmora::frmMain* window, const QString& name) {
    // Queued: the Options window runs its own event loop.
    if (name == QStringLiteral("browser")) {
        QTimer::singleShot(0, window, &velmora::frmMain::mnuFileList_Click);
    } else if (name == QStringLiteral("options")) {
        QTimer::singleShot(0, window, &velmora::frmMain::mnuToolOption_Click);
    } else if (name == QStringLiteral("backtest")) {
        QTimer::singleShot(0, window, &velmora::frmMain::mnuFileBacktest_Click);
    }
}

} // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so that it works without a display.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "velmora " VELMORA_VERSION "\n";
        return 0;
    }
    velmora::PreferXcbUnderWayland();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("velmora"));

    QString error;
    std::optional<velmora::TestSwitches> switches =
        velmora::ParseTestSwitches(QApplication::arguments(), error);
    if (!switches) {
        std::fprintf(stderr, "velmora: %s\n", qPrintable(error));
        return 2;
    }
    QTranslator qtTexts;
    velmora::InstallJapaneseQtTexts(app, qtTexts);

    // The remarks are read before any window appears.
    velmora::LoadRemarks();
    velmora::QSettingsStore settings;
    auto* window = new velmora::frmMain(settings, velmora::GetRemarks());
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Why the settings are not being saved shows in the status bar, once.
    settings.OnProblem([shown = QPointer<velmora::frmMain>(window)](const std::string& problem) {
        if (shown) {
            shown->Sheet().SetStatusText(problem);
        }
    });
    window->show();
    OpenTestWindow(window, switches->openWindow);
    if (switches->quitAfterMs > 0) {
        QTimer::singleShot(switches->quitAfterMs, window, &QWidget::close);
    }
    return QApplication::exec();
}
