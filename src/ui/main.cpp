#include "qtsettings/qsettings_store.h"
#include "shell/remarks.h"
#include "ui/frmMain.h"

#include <QApplication>

#include <iostream>
#include <string_view>

int main(int argc, char** argv) {
    // Answered before Qt starts, so that it works without a display.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "velmora " VELMORA_VERSION "\n";
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("velmora"));

    // The remarks are read before any window appears.
    velmora::LoadRemarks();
    velmora::QSettingsStore settings;
    auto* window = new velmora::frmMain(settings, velmora::GetRemarks());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return QApplication::exec();
}
