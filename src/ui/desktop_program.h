#pragma once

#include <QStringList>

#include <functional>

namespace velmora {

class frmMain;
class SettingsStore;

// What a start of the desktop program takes from its caller: the shipped
// program refuses every argument, the desktop test's program reads its own.
struct DesktopStart {
    QString version;
    // Reads the command line once Qt runs; false, with `error` set, refuses it.
    std::function<bool(const QStringList& arguments, QString& error)> readArguments;
    // Runs once the main window is shown.
    std::function<void(frmMain& window, SettingsStore& settings)> afterShow;
};

// Runs the desktop program: Qt, the settings, the odds history, the main
// window, until it closes. Returns the exit status; 2 for refused arguments.
int RunDesktop(int argc, char** argv, const DesktopStart& start);

} // namespace velmora
