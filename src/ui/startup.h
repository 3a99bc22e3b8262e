#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class QCoreApplication;
class QTranslator;

namespace velmora {

// A native Wayland client cannot place its own windows, so the stored window
// positions would be lost: under Wayland with XWayland at hand, and no platform
// chosen by the user, the program runs on xcb.
bool PrefersXcb(const QByteArray& qpaPlatform, const QByteArray& waylandDisplay, const QByteArray& display);
// Applies PrefersXcb to this process's environment; call before the application exists.
void PreferXcbUnderWayland();

// Qt's own dialogs and buttons in Japanese, whatever the user's language: the
// program is Japanese throughout. False when Qt's translation is not installed.
bool InstallJapaneseQtTexts(QCoreApplication& app, QTranslator& translator);

// The usage text when the command line asks for it (--help or -h), else
// nothing; read before Qt starts, so it needs no display.
std::optional<QString> HelpText(const QStringList& arguments);

// The desktop program takes no arguments besides --help and --version, which
// are answered before Qt starts: false, with `error` set, for any other.
bool AcceptsDesktopArguments(const QStringList& arguments, QString& error);

} // namespace velmora
