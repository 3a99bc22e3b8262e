#include "common/save_target.h"
#include "history/history_on_demand.h"
#include "qtsettings/qsettings_store.h"
#include "settings/settings_ops.h"
#include "shell/remarks.h"
#include "ui/frmMain.h"
#include "ui/startup.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <iostream>
#include <string_view>
#include <vector>

namespace {

void OpenTestWindow(velmora::frmMain* window, const QString& name) {
    // Queued: the Options window runs its own event loop.
    if (name == QStringLiteral("browser")) {
        QTimer::singleShot(0, window, &velmora::frmMain::mnuFileList_Click);
    } else if (name == QStringLiteral("options")) {
        QTimer::singleShot(0, window, &velmora::frmMain::mnuToolOption_Click);
    } else if (name == QStringLiteral("backtest")) {
        QTimer::singleShot(0, window, &velmora::frmMain::mnuFileBacktest_Click);
    } else if (name == QStringLiteral("oddsmovement")) {
        QTimer::singleShot(0, window, &velmora::frmMain::mnuFileOddsMovement_Click);
    }
}

// Lines the live test reads: the win odds the sheet shows after each load and
// reload, and the browser's race count after each change of its list.
class FollowLog {
public:
    // Written by the one rule as every file: never into the PAT folder.
    FollowLog(const QString& path, const std::string& patFolder) {
        if (path.isEmpty()) {
            return;
        }
        const velmora::SaveTarget target = velmora::ResolveSaveTarget(path.toStdString(), {patFolder});
        file_.setFileName(QString::fromStdString(target.path));
        if (target.verdict != velmora::SaveTargetVerdict::Allowed ||
            !file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            std::fprintf(stderr, "velmora: cannot write %s\n", qPrintable(path));
        }
    }
    bool IsOpen() const { return file_.isOpen(); }
    void Line(const QString& line) {
        if (file_.isOpen()) {
            file_.write((line + QLatin1Char('\n')).toUtf8());
            file_.flush();
        }
    }

private:
    QFile file_;
};

QString SheetOdds(velmora::frmMain& window) {
    velmora::RaceSheet& sheet = window.Sheet();
    QStringList odds;
    for (int row = 1; row <= sheet.GetRunnerCount(); ++row) {
        odds.append(QString::fromStdString(sheet.Text(velmora::Column::TanOdds, row)));
    }
    return QStringLiteral("sheet ") + odds.join(QLatin1Char(' '));
}

void LogFollowing(velmora::frmMain* window, FollowLog& log) {
    window->OnReloaded([window, &log] { log.Line(SheetOdds(*window)); });
    // Queued behind the browser's own opening.
    QTimer::singleShot(0, window, [window, &log] {
        if (velmora::frmSelectFile* browser = window->SelectFileWindow()) {
            auto logCount = [browser, &log] {
                log.Line(QStringLiteral("browser %1").arg(browser->List().ListedCount()));
            };
            browser->OnRefreshed(logCount);
            logCount();
        }
    });
}

} // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so that it works without a display.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "velmora " VELMORA_VERSION "\n";
        return 0;
    }
    std::vector<char*> given(argv, argv + argc);
    QStringList arguments;
    for (char* argument : given) {
        arguments.append(QString::fromLocal8Bit(argument));
    }
    if (std::optional<QString> help = velmora::HelpText(arguments)) {
        std::cout << help->toStdString();
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
    QPointer<velmora::frmMain> shown;
    // Said once, after the reload that met the trouble has finished; the
    // window goes on without a history.
    velmora::HistoryOnDemand history(
        velmora::DefaultHistoryPath(),
        [&settings] { return std::vector<std::string>{velmora::GetPatFolder(settings)}; },
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
    auto* window = new velmora::frmMain(settings, velmora::GetRemarks(), history);
    shown = window;
    // Read only, afresh at every look: looking never starts or changes a history.
    velmora::HistoryReader reader(velmora::DefaultHistoryPath());
    window->ReadHistoryFrom([&reader] { return reader.Look(); });
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Why the settings are not being saved shows in the status bar, once.
    settings.OnProblem([shown = QPointer<velmora::frmMain>(window)](const std::string& problem) {
        if (shown) {
            shown->Sheet().SetStatusText(problem);
        }
    });
    window->show();
    FollowLog log(switches->followLog, velmora::GetPatFolder(settings));
    if (!switches->loadRace.isEmpty()) {
        window->UpdateFormFromSelection(switches->loadRace.toStdString());
        log.Line(SheetOdds(*window));
    }
    OpenTestWindow(window, switches->openWindow);
    if (log.IsOpen()) {
        LogFollowing(window, log);
    }
    if (switches->quitAfterMs > 0) {
        QTimer::singleShot(switches->quitAfterMs, window, &QWidget::close);
    }
    return QApplication::exec();
}
