#include "ui/desktop_program.h"

#include "history/history_on_demand.h"
#include "qtsettings/qsettings_store.h"
#include "settings/settings_ops.h"
#include "shell/remarks.h"
#include "ui/frmMain.h"
#include "ui/startup.h"

#include <QApplication>
#include <QPointer>
#include <QTranslator>

#include <cstdio>
#include <string>
#include <vector>

namespace velmora {

int RunDesktop(int argc, char** argv, const DesktopStart& start) {
    PreferXcbUnderWayland();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(start.version);
    QApplication::setDesktopFileName(QStringLiteral("velmora"));

    QString error;
    if (start.readArguments && !start.readArguments(QApplication::arguments(), error)) {
        std::fprintf(stderr, "velmora: %s\n", qPrintable(error));
        return 2;
    }
    QTranslator qtTexts;
    InstallJapaneseQtTexts(app, qtTexts);

    // The remarks are read before any window appears.
    LoadRemarks();
    QSettingsStore settings;
    QPointer<frmMain> shown;
    // Said once, after the reload that met the trouble has finished; the
    // window goes on without a history.
    HistoryOnDemand history(
        DefaultHistoryPath(), [&settings] { return std::vector<std::string>{GetPatFolder(settings)}; },
        [&shown](const std::string& problem) {
            if (shown) {
                shown->ShowProblemLater(problem);
            }
        },
        // Shown with the reload that recorded again.
        [&shown](const std::string& resumed) {
            if (shown) {
                shown->Sheet().SetStatusText(resumed);
            }
        });
    auto* window = new frmMain(settings, GetRemarks(), history);
    shown = window;
    // Read only, afresh at every look: looking never starts or changes a history.
    HistoryReader reader(DefaultHistoryPath());
    window->ReadHistoryFrom([&reader] { return reader.Look(); });
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Why the settings are not being saved shows in the status bar, once.
    settings.OnProblem([shown = QPointer<frmMain>(window)](const std::string& problem) {
        if (shown) {
            shown->Sheet().SetStatusText(problem);
        }
    });
    window->show();
    if (start.afterShow) {
        start.afterShow(*window, settings);
    }
    return QApplication::exec();
}

} // namespace velmora
