#include "shell/remarks.h"
#include "ui/frmMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    velmora::LoadRemarks();
    velmora::frmMain window;
    window.show();
    return QApplication::exec();
}
