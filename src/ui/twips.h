#pragma once

#include "settings/window_position.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

#include <string>

class QWidget;

namespace velmora {

class SettingsStore;

// Window geometry is kept in twips (1/1440 inch); the screen's logical DPI turns
// it into device-independent pixels.
class Twips {
public:
    explicit Twips(double logicalDpi) : dpi_(logicalDpi) {}
    // The logical DPI of the primary screen (96 when there is none).
    static Twips ForScreen();

    int ToPixels(double twips) const;
    double FromPixels(int pixels) const;
    QRect Rect(double left, double top, double width, double height) const;
    // Places a child widget at a twips rectangle of its parent.
    void Place(QWidget* widget, double left, double top, double width, double height) const;
    double Dpi() const { return dpi_; }

private:
    double dpi_;
};

// Where a window whose whole frame is `frame` belongs: unchanged when the frame
// lies inside one screen's available area, else moved into the nearest one so
// the title bar and the close box can be reached. A frame larger than the
// screen keeps its top-left corner on it.
QPoint BringOntoScreen(const QRect& frame, const QList<QRect>& screens);

// The stored position of one top-level window. Restoring places the window's
// frame (title bar included) at the stored twips, once the window manager has
// told the frame's size; storing writes the frame's position back. A window the
// user did not move stores the very twips it was restored from, so positions
// survive any number of restarts unchanged.
// A tool window the user has never placed opens beside the window that owns
// it rather than at its default position, and may keep the size it is given.
enum class ToolWindow { No, BesideOwner, BesideOwnerKeepingSize };

class WindowPlacement {
public:
    WindowPlacement(SettingsStore& settings, std::string section, WindowPosition defaults,
                    ToolWindow tool = ToolWindow::No)
        : settings_(settings), section_(std::move(section)), defaults_(defaults), tool_(tool) {}

    void Restore(QWidget& window, const Twips& twips);
    // Stores the position the first time only: a window unloaded twice (closed,
    // then the program ending) keeps what it stored first.
    void StoreOnce(const QWidget& window, const Twips& twips);

private:
    SettingsStore& settings_;
    std::string section_;
    WindowPosition defaults_;
    ToolWindow tool_;
    WindowPosition restored_;
    QPoint restoredPixels_;
    std::optional<WindowSize> restoredSize_;
    QSize restoredSizePixels_;
    bool stored_ = false;
};

} // namespace velmora
