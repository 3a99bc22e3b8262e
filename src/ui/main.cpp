#include "qtsettings/qsettings_store.h"
#include "shell/remarks.h"
#include "ui/frmMain.h"

#include <QApplication>

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
    window->show();
    return QApplication::exec();
}
