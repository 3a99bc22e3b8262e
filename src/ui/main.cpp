#include "qtsettings/qsettings_store.h"
#include "shell/remarks.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setDesktopFileName(QStringLiteral("velmora"));

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
    return QApplication::exec();
}
