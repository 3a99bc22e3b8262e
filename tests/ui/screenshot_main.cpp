// Renders the windows for the documentation and for checking the layout by eye:
//   velmora_screenshot OUT.png               main window, sample race 1 computed
//   velmora_screenshot OUT.png ODDS-FILE     main window with a loaded race and its result
//   velmora_screenshot OUT.png --windows     also OUT-options.png, OUT-about.png, OUT-browser.png
//   velmora_screenshot OUT.png --backtest    the back-test window after a run over the sample
//                                            folder, and OUT-chart.png with its chart page
//   velmora_screenshot OUT.png --desktop ODDS-FILE
//                                            under a window manager, frames included: the main
//                                            window with a loaded race and its result, then
//                                            OUT-browser.png, OUT-options.png, OUT-backtest.png
//   velmora_screenshot OUT.png --tool-windows ODDS-FILE
//                                            under a window manager: the whole screen with the
//                                            main window, the browser, 成績集計 and オッズ推移
//   velmora_screenshot OUT.png --open-dialog
//                                            under a window manager: the open dialog in Japanese
//   velmora_screenshot OUT.png --follow ODDS-FILE
//                                            under a window manager: the main window once it
//                                            has followed the race to a new version
//   velmora_screenshot OUT.png --odds-movement RACE-DAY PAT-FOLDER
//                                            under a window manager: the odds-movement window of
//                                            11R of the race day, every version recorded into the
//                                            history, the last one put into the empty PAT-FOLDER
#include "history/history_store.h"
#include "settings/settings_ops.h"
#include "settings/settings_store.h"
#include "shell/remarks.h"
#include "ui/frmAbout.h"
#include "ui/frmBacktest.h"
#include "ui/frmMain.h"
#include "ui/frmOddsMovement.h"
#include "ui/frmOption.h"
#include "ui/frmSelectFile.h"
#include "ui/startup.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

QString Sibling(const QString& path, const char* suffix) {
    QFileInfo info(path);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QString::fromUtf8(suffix) +
           QStringLiteral(".png");
}

bool Save(QWidget& widget, const QString& path) {
    return widget.grab().save(path);
}

// Opens the back-test window and runs it over the PAT folder of the settings.
velmora::frmBacktest* RunBacktestWindow(velmora::frmMain& window) {
    window.mnuFileBacktest_Click();
    velmora::frmBacktest* backtest = window.BacktestWindow();
    QEventLoop loop;
    QObject::connect(backtest, &velmora::frmBacktest::RunFinished, &loop, &QEventLoop::quit);
    backtest->btnRun_Click();
    if (backtest->IsRunning()) {
        loop.exec();
    }
    return backtest;
}

// Runs the back-test window over the PAT folder of the settings and saves it
// with its figures page, then with its chart page.
bool SaveBacktest(velmora::frmMain& window, const QString& output) {
    velmora::frmBacktest* backtest = RunBacktestWindow(window);
    auto* tabs = backtest->findChild<QTabWidget*>(QStringLiteral("tabResults"));
    QApplication::processEvents();
    bool saved = Save(*backtest, output);
    tabs->setCurrentIndex(1);
    QApplication::processEvents();
    return saved && Save(*backtest, Sibling(output, "-chart"));
}

// Lets the window manager frame and place what was just shown.
void Settle() {
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
}

// What the screen shows of a window, the window manager's frame included.
bool SaveFramed(QWidget& widget, const QString& path) {
    Settle();
    const QRect frame = widget.frameGeometry();
    return widget.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(path);
}

bool SaveDesktop(velmora::frmMain& window, velmora::SettingsStore& settings, const QString& output) {
    bool saved = SaveFramed(window, output);
    window.mnuFileList_Click();
    saved = SaveFramed(*window.SelectFileWindow(), Sibling(output, "-browser")) && saved;
    window.SelectFileWindow()->hide();
    {
        velmora::frmOption options(settings, window.Seams(), &window);
        options.show();
        saved = SaveFramed(options, Sibling(output, "-options")) && saved;
    }
    velmora::frmBacktest* backtest = RunBacktestWindow(window);
    return SaveFramed(*backtest, Sibling(output, "-backtest")) && saved;
}

// Loads the race, waits for the next version of its files to be followed, and
// saves the framed window; false when none came within two minutes.
bool SaveFollowed(velmora::frmMain& window, const char* oddsFile, const QString& output) {
    window.UpdateFormFromSelection(oddsFile);
    QEventLoop loop;
    bool reloaded = false;
    window.OnReloaded([&] {
        reloaded = true;
        loop.quit();
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    window.OnReloaded({});
    if (!reloaded) {
        std::fprintf(stderr, "no new version of %s came\n", oddsFile);
        return false;
    }
    return SaveFramed(window, output);
}

// Every version of 11R of the race day, recorded at the time its folder is named
// after; the last one is left in the PAT folder. The path of its odds file.
std::string RecordRaceDay(velmora::HistoryStore& store, const QString& raceDay, const QString& patFolder) {
    const QString oddsFile = QStringLiteral("Zo-06050411.jra");
    QDir versions(raceDay + QStringLiteral("/versions"));
    for (const QString& time : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!versions.exists(time + u'/' + oddsFile)) {
            continue;
        }
        const QDateTime at(QDate(2026, 12, 13), QTime::fromString(time, QStringLiteral("HHmmss")));
        for (const QString& name : {QStringLiteral("Uo-06050411.jra"), oddsFile}) {
            QFile file(versions.filePath(time + u'/' + name));
            if (!file.open(QIODevice::ReadOnly)) {
                continue;
            }
            const QByteArray bytes = file.readAll();
            const std::string path = (patFolder + u'/' + name).toStdString();
            store.Record({path, bytes.toStdString(), at.toMSecsSinceEpoch(), at.toMSecsSinceEpoch() + 3000});
            QFile::remove(QString::fromStdString(path));
            QFile::copy(file.fileName(), QString::fromStdString(path));
            QFile copied(QString::fromStdString(path));
            if (copied.open(QIODevice::ReadWrite)) {
                copied.setFileTime(at, QFileDevice::FileModificationTime);
            }
        }
    }
    // The runners' names, from the entry file of the first version.
    const QString entryFile = QStringLiteral("De-06050411.jra");
    for (const QString& time : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFile::copy(versions.filePath(time + u'/' + entryFile), patFolder + u'/' + entryFile)) {
            break;
        }
    }
    return (patFolder + u'/' + oddsFile).toStdString();
}

// The odds-movement window over a recorded race day, with the backed and the
// drifting runners charted.
int SaveOddsMovement(velmora::frmMain& window, velmora::HistoryStore& store, const char* raceDay,
                     const char* patFolder, const QString& output) {
    const std::string oddsPath =
        RecordRaceDay(store, QString::fromLocal8Bit(raceDay), QString::fromLocal8Bit(patFolder));
    window.ReadHistoryFrom([&store] { return &store; });
    window.UpdateFormFromSelection(oddsPath);
    window.mnuFileOddsMovement_Click();
    velmora::frmOddsMovement* movement = window.OddsMovementWindow();
    movement->SelectRunners({1, 5, 10, 16});
    return SaveFramed(*movement, output) ? 0 : 1;
}

// The main window with a loaded race and the three tool windows open, each
// placed where it opens first, and the whole screen saved.
bool SaveToolWindows(velmora::frmMain& window, const QString& output) {
    Settle();
    window.mnuFileList_Click();
    Settle();
    RunBacktestWindow(window);
    Settle();
    window.mnuFileOddsMovement_Click();
    Settle();
    // The browser brought to the front as a click would, where it opened.
    window.SelectFileWindow()->raise();
    window.SelectFileWindow()->activateWindow();
    Settle();
    return window.screen()->grabWindow(0).save(output);
}

// The open dialog as the menu shows it, in Japanese, over the PAT folder.
bool SaveOpenDialog(velmora::frmMain& window, const QString& output) {
    bool saved = false;
    window.Seams().chooseFile = [&](QFileDialog& dialog) {
        dialog.show();
        saved = SaveFramed(dialog, output);
        return QString();
    };
    window.mnuFileOpen_Click();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [ODDS-FILE | --windows | --backtest]\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const bool allWindows = argc >= 3 && std::strcmp(argv[2], "--windows") == 0;
    const bool backtestWindow = argc >= 3 && std::strcmp(argv[2], "--backtest") == 0;
    const bool desktop = argc >= 4 && std::strcmp(argv[2], "--desktop") == 0;
    const bool follow = argc >= 4 && std::strcmp(argv[2], "--follow") == 0;
    const bool oddsMovement = argc >= 5 && std::strcmp(argv[2], "--odds-movement") == 0;
    const bool openDialog = argc >= 3 && std::strcmp(argv[2], "--open-dialog") == 0;
    const bool toolWindows = argc >= 4 && std::strcmp(argv[2], "--tool-windows") == 0;
    QTranslator qtTexts;
    if (openDialog) {
        velmora::InstallJapaneseQtTexts(app, qtTexts);
    }
    velmora::MemorySettingsStore settings;
    // The colours 標準の色 gives, as the README tells new users.
    const auto colors = velmora::StandardPopularColors();
    for (int rank = 1; rank <= velmora::kPopularRanks; ++rank) {
        velmora::SetPopularColor(settings, rank, colors[static_cast<std::size_t>(rank - 1)]);
    }
    velmora::SetPatFolder(settings, VELMORA_SOURCE_DIR "/samples/pat");
    velmora::RemarkList remarks = {"本命サイドで堅く収まりそうです。"};
    velmora::NullRecorder noHistory;
    // Only the odds-movement shot keeps a history, in the data folder the script made.
    std::unique_ptr<velmora::HistoryStore> history;
    if (oddsMovement) {
        history = std::make_unique<velmora::HistoryStore>(velmora::DefaultHistoryPath());
    }
    velmora::frmMain window(settings, remarks,
                            history ? static_cast<velmora::OddsRecorder&>(*history) : noHistory);
    window.show();
    if (openDialog) {
        return SaveOpenDialog(window, output) ? 0 : 1;
    }
    if (toolWindows) {
        window.UpdateFormFromSelection(argv[3]);
        window.cmdResult_Click();
        return SaveToolWindows(window, output) ? 0 : 1;
    }
    if (oddsMovement) {
        return SaveOddsMovement(window, *history, argv[3], argv[4], output);
    }
    if (follow) {
        return SaveFollowed(window, argv[3], output) ? 0 : 1;
    }
    if (desktop) {
        window.UpdateFormFromSelection(argv[3]);
        window.cmdResult_Click();
    } else if (argc >= 3 && !allWindows && !backtestWindow) {
        window.UpdateFormFromSelection(argv[2]);
        window.cmdResult_Click();
    } else {
        window.mnuTestData1_Click();
        window.btnCalc_Click();
    }
    bool saved = false;
    QTimer::singleShot(300, [&] {
        if (desktop) {
            saved = SaveDesktop(window, settings, output);
            window.close();
            QApplication::quit();
            return;
        }
        if (backtestWindow) {
            saved = SaveBacktest(window, output);
            window.close();
            QApplication::quit();
            return;
        }
        saved = Save(window, output);
        if (allWindows) {
            velmora::frmOption options(settings, window.Seams(), &window);
            options.show();
            velmora::frmAbout about(window.Seams(), &window);
            about.show();
            window.mnuFileList_Click();
            QApplication::processEvents();
            saved = saved && Save(options, Sibling(output, "-options")) &&
                    Save(about, Sibling(output, "-about")) &&
                    Save(*window.SelectFileWindow(), Sibling(output, "-browser"));
        }
        window.close();
        QApplication::quit();
    });
    QApplication::exec();
    return saved ? 0 : 1;
}
