// Renders the main window with sample race 1 computed, for the documentation.
#include "settings/settings_store.h"
#include "shell/remarks.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    velmora::MemorySettingsStore settings;
    velmora::RemarkList remarks = {"本命サイドで堅く収まりそうです。"};
    velmora::frmMain window(settings, remarks);
    window.show();
    window.mnuTestData1_Click();
    window.btnCalc_Click();
    int result = 1;
    QTimer::singleShot(300, [&] {
        QPixmap shot = window.grab();
        result = shot.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
        window.close();
        QApplication::quit();
    });
    QApplication::exec();
    return result;
}
