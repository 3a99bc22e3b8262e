// The desktop program as the desktop and live tests drive it: the program
// itself, plus switches that open a window at start, load a race, log what
// following it does and close it after a while. Never installed.
#include "common/save_target.h"
#include "settings/settings_ops.h"
#include "test_switches.h"
#include "ui/desktop_program.h"
#include "ui/frmMain.h"
#include "ui/frmSelectFile.h"

#include <QFile>
#include <QTimer>

#include <cstdio>
#include <memory>

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
    velmora::TestSwitches switches;
    std::unique_ptr<FollowLog> log;
    velmora::DesktopStart start;
    start.version = QStringLiteral(VELMORA_VERSION);
    start.readArguments = [&switches](const QStringList& arguments, QString& error) {
        std::optional<velmora::TestSwitches> read = velmora::ParseTestSwitches(arguments, error);
        if (read) {
            switches = *read;
        }
        return read.has_value();
    };
    start.afterShow = [&switches, &log](velmora::frmMain& window, velmora::SettingsStore& settings) {
        // Outlives the window, which writes to it until it closes.
        log = std::make_unique<FollowLog>(switches.followLog, velmora::GetPatFolder(settings));
        if (!switches.loadRace.isEmpty()) {
            window.UpdateFormFromSelection(switches.loadRace.toStdString());
            log->Line(SheetOdds(window));
        }
        OpenTestWindow(&window, switches.openWindow);
        if (log->IsOpen()) {
            LogFollowing(&window, *log);
        }
        if (switches.quitAfterMs > 0) {
            QTimer::singleShot(switches.quitAfterMs, &window, &QWidget::close);
        }
    };
    return velmora::RunDesktop(argc, argv, start);
}
