#include "ui/twips.h"

#include "settings/window_position.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace velmora {
namespace {

constexpr double kTwipsPerLogicalInch = 1440.0;
constexpr double kFallbackDpi = 96.0;
// The strip of the title bar that must lie on a screen for the window to be movable.
constexpr int kGripWidth = 64;
constexpr int kGripHeight = 24;

} // namespace

Twips Twips::ForScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    double dpi = screen != nullptr ? screen->logicalDotsPerInch() : kFallbackDpi;
    return Twips(dpi > 0 ? dpi : kFallbackDpi);
}

int Twips::ToPixels(double twips) const {
    // Stored geometry is checked when read; this only keeps a stray value
    // from overflowing the conversion to int.
    constexpr double kLimit = 1 << 24;
    double pixels = twips * dpi_ / kTwipsPerLogicalInch;
    return std::isfinite(pixels) ? qRound(std::clamp(pixels, -kLimit, kLimit)) : 0;
}

double Twips::FromPixels(int pixels) const {
    return pixels * kTwipsPerLogicalInch / dpi_;
}

QRect Twips::Rect(double left, double top, double width, double height) const {
    int x = ToPixels(left);
    int y = ToPixels(top);
    // Right and bottom edges are rounded on their own so neighbours meet without gaps.
    return {x, y, ToPixels(left + width) - x, ToPixels(top + height) - y};
}

void Twips::Place(QWidget* widget, double left, double top, double width, double height) const {
    widget->setGeometry(Rect(left, top, width, height));
}

QPoint BringOntoScreen(const QRect& frame, const QList<QRect>& screens, const QRect& primary) {
    QRect grip(frame.topLeft(),
               QSize(std::max(frame.width(), 1), std::clamp(frame.height(), 1, kGripHeight)));
    for (const QRect& screen : screens) {
        QRect common = screen.intersected(grip);
        if (common.width() >= std::min(kGripWidth, grip.width()) && common.height() >= grip.height()) {
            return frame.topLeft();
        }
    }
    int x = std::clamp(frame.left(), primary.left(),
                       std::max(primary.left(), primary.right() + 1 - frame.width()));
    int y = std::clamp(frame.top(), primary.top(),
                       std::max(primary.top(), primary.bottom() + 1 - frame.height()));
    return {x, y};
}

void MoveToTwips(QWidget* window, double left, double top, const Twips& twips) {
    QPoint wanted(twips.ToPixels(left), twips.ToPixels(top));
    QList<QRect> screens;
    for (QScreen* screen : QGuiApplication::screens()) {
        screens.append(screen->availableGeometry());
    }
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) {
        window->move(wanted);
        return;
    }
    QRect frame(wanted, window->frameGeometry().size());
    window->move(BringOntoScreen(frame, screens, primary->availableGeometry()));
}

void StoreTwipsPositionOnce(bool& stored, SettingsStore& settings, const std::string& section,
                            const QWidget& window, const Twips& twips) {
    if (stored) {
        return;
    }
    stored = true;
    WindowPosition position{static_cast<float>(twips.FromPixels(window.x())),
                            static_cast<float>(twips.FromPixels(window.y()))};
    StoreWindowPosition(settings, section, position, window.isMinimized());
}

} // namespace velmora
