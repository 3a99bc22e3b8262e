// Renders the main window with sample race 1 computed, for the documentation.
#include "settings/settings_ops.h"
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
        std::fprintf(stderr, "usage: %s OUTPUT.png [ODDS-FILE]\n", argv[0]);
        return 2;
    }
    velmora::MemorySettingsStore settings;
    // A few rank colours, as a user would pick them in the Options window.
    const std::int32_t colors[] = {0x8080FF, 0x80C0FF, 0x80FFFF, 0x80FF80, 0xFFC080, 0xFF80C0};
    for (int rank = 1; rank <= 6; ++rank) {
        velmora::SetPopularColor(settings, rank, colors[rank - 1]);
    }
    velmora::RemarkList remarks = {"本命サイドで堅く収まりそうです。"};
    velmora::frmMain window(settings, remarks);
    window.show();
    if (argc >= 3) {
        // A race file instead: loaded, computed and its result shown.
        window.UpdateFormFromSelection(argv[2]);
        window.cmdResult_Click();
    } else {
        window.mnuTestData1_Click();
        if (qEnvironmentVariableIsEmpty("VELMORA_SHOT_NOTE_ONLY")) {
            window.btnCalc_Click();
        }
    }
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
