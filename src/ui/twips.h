#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

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

// Where a window of `frame` belongs so that its title bar can be reached: the
// position unchanged when a usable part of its top edge lies on one of the
// screens, else moved into the primary screen's available area.
QPoint BringOntoScreen(const QRect& frame, const QList<QRect>& screens, const QRect& primary);

// Moves a top-level window to a stored twips position, brought onto a screen.
void MoveToTwips(QWidget* window, double left, double top, const Twips& twips);

// Stores a top-level window's position, in twips, under `section` the first
// time the window is unloaded; `stored` remembers that it was, so a window
// unloaded twice (closed, then the program ending) stores nothing more.
void StoreTwipsPositionOnce(bool& stored, SettingsStore& settings, const std::string& section,
                            const QWidget& window, const Twips& twips);

} // namespace velmora
