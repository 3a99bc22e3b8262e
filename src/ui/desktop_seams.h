#pragma once

#include "common/messages.h"

#include <QColor>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QColorDialog;
class QFileDialog;
class QMessageBox;
class QWidget;

namespace velmora {

// The points where the windows wait for the user or leave the program. Each is
// handed the fully prepared dialog, so the default runs it modally while tests
// inspect it and answer without an event loop.
struct DesktopSeams {
    std::function<void(QMessageBox&)> showMessage;
    // The chosen path, or empty when the user cancelled.
    std::function<QString(QFileDialog&)> chooseFile;
    std::function<std::optional<QColor>(QColorDialog&)> chooseColor;
    std::function<bool(const QUrl&)> openUrl;

    static DesktopSeams Interactive();
};

// Message boxes with caption, critical icon or none, and an OK button, parented
// to the window that is active when the message comes.
class QtMessageSink : public MessageSink {
public:
    QtMessageSink(const DesktopSeams& seams, QWidget* fallbackParent)
        : seams_(seams), fallbackParent_(fallbackParent) {}
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;

private:
    const DesktopSeams& seams_;
    QWidget* fallbackParent_;
};

// The width a message box needs so the window manager shows its caption whole.
int CaptionWidth(const QMessageBox& box);
// Widens a message box to at least CaptionWidth.
void KeepCaptionWhole(QMessageBox& box);

// Colours of the settings store are packed red + 256 * green + 65536 * blue.
QColor ColorFromPacked(std::int32_t packed);
std::int32_t PackedFromColor(const QColor& color);

} // namespace velmora
