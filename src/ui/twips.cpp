#include "ui/twips.h"

#include "settings/window_position.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {
namespace {

constexpr double kTwipsPerLogicalInch = 1440.0;
constexpr double kFallbackDpi = 96.0;
// How much of a frame larger than the screen must stay on it to be dragged back.
constexpr int kGrip = 64;

QList<QRect> AvailableScreenAreas() {
    QList<QRect> areas;
    for (QScreen* screen : QGuiApplication::screens()) {
        areas.append(screen->availableGeometry());
    }
    return areas;
}

qint64 Area(const QRect& rect) {
    return rect.isEmpty() ? 0 : qint64{rect.width()} * rect.height();
}

qint64 DistanceSquared(const QRect& area, QPoint point) {
    qint64 dx = std::max({area.left() - point.x(), 0, point.x() - area.right()});
    qint64 dy = std::max({area.top() - point.y(), 0, point.y() - area.bottom()});
    return dx * dx + dy * dy;
}

// The screen that holds most of the frame; for a frame on none, the closest.
QRect NearestScreen(const QRect& frame, const QList<QRect>& screens) {
    QRect best = screens.constFirst();
    qint64 bestOverlap = -1;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (const QRect& screen : screens) {
        qint64 overlap = Area(screen.intersected(frame));
        qint64 distance = DistanceSquared(screen, frame.center());
        if (overlap > bestOverlap || (overlap == 0 && bestOverlap == 0 && distance < bestDistance)) {
            best = screen;
            bestOverlap = overlap;
            bestDistance = distance;
        }
    }
    return best;
}

// A resizable window larger than the screen (a high DPI on a small screen)
// shrinks so its whole frame fits.
void FitOnScreen(QWidget& window, const QRect& screen) {
    QSize frameExtra = window.frameGeometry().size() - window.size();
    QSize fitting = window.size().boundedTo(screen.size() - frameExtra).expandedTo(window.minimumSize());
    if (fitting != window.size() && window.minimumSize() != window.maximumSize()) {
        window.resize(fitting);
    }
}

ScreenRect ToScreenRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

// The corner that puts the window's frame beside its owner's; nothing when it
// has no owner on the screen to go beside.
std::optional<QPoint> BesideOwner(const QWidget& window) {
    QWidget* owner = window.parentWidget() != nullptr ? window.parentWidget()->window() : nullptr;
    QList<QRect> screens = AvailableScreenAreas();
    if (owner == nullptr || !owner->isVisible() || screens.isEmpty()) {
        return std::nullopt;
    }
    const QRect ownerFrame = owner->frameGeometry();
    // Not framed yet, the window's decorations are taken to be its owner's.
    const bool framed = window.isVisible() && window.frameGeometry() != window.geometry();
    const QSize frame =
        framed ? window.frameGeometry().size() : window.size() + (ownerFrame.size() - owner->size());
    std::vector<ScreenRect> others;
    for (QWidget* other : owner->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != &window && other->isWindow() && other->isVisible()) {
            others.push_back(ToScreenRect(other->frameGeometry()));
        }
    }
    const ScreenRect placed = PlaceBeside(ToScreenRect(ownerFrame), frame.width(), frame.height(),
                                          ToScreenRect(NearestScreen(ownerFrame, screens)), others);
    return QPoint(placed.left, placed.top);
}

// Finishes a restore once the window manager has framed the window: only then
// is the frame's size known, and a frame placed by the client size alone can
// overhang the screen or sit a title bar's height off.
class FramePlacer : public QObject {
public:
    // A window placed beside its owner is placed again once framed: only then
    // are both frames' sizes known for sure.
    FramePlacer(QWidget& window, QPoint wanted, bool besideOwner)
        : QObject(&window), window_(window), wanted_(wanted), besideOwner_(besideOwner) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        bool geometryEvent =
            event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Show;
        if (watched == &window_ && geometryEvent && IsFramed()) {
            window_.removeEventFilter(this);
            Place();
            deleteLater();
        }
        return false;
    }

private:
    bool IsFramed() const { return window_.isVisible() && window_.frameGeometry() != window_.geometry(); }

    void Place() {
        if (besideOwner_) {
            wanted_ = BesideOwner(window_).value_or(wanted_);
        }
        QList<QRect> screens = AvailableScreenAreas();
        if (!screens.isEmpty()) {
            FitOnScreen(window_, NearestScreen(QRect(wanted_, window_.frameGeometry().size()), screens));
        }
        QRect frame = window_.frameGeometry();
        QPoint target = screens.isEmpty() ? wanted_ : BringOntoScreen(QRect(wanted_, frame.size()), screens);
        if (frame.topLeft() != target) {
            window_.move(target);
        }
    }

    QWidget& window_;
    QPoint wanted_;
    bool besideOwner_;
};

// Along one axis: a frame that fits lies wholly on the screen; a larger one
// keeps its start (the title bar, the left edge) on it.
int ClampOnto(int start, int length, int screenStart, int screenLength) {
    if (length <= screenLength) {
        return std::clamp(start, screenStart, screenStart + screenLength - length);
    }
    return std::clamp(start, screenStart, std::max(screenStart, screenStart + screenLength - kGrip));
}

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

QPoint BringOntoScreen(const QRect& frame, const QList<QRect>& screens) {
    if (screens.isEmpty()) {
        return frame.topLeft();
    }
    for (const QRect& screen : screens) {
        if (screen.contains(frame)) {
            return frame.topLeft();
        }
    }
    QRect screen = NearestScreen(frame, screens);
    return {ClampOnto(frame.left(), frame.width(), screen.left(), screen.width()),
            ClampOnto(frame.top(), frame.height(), screen.top(), screen.height())};
}

void WindowPlacement::Restore(QWidget& window, const Twips& twips) {
    restored_ = RestoreWindowPosition(settings_, section_, defaults_, defaults_);
    restoredPixels_ = QPoint(twips.ToPixels(restored_.left), twips.ToPixels(restored_.top));
    // The window's own size, not a default one, decides whether it fits.
    window.ensurePolished();
    if (QLayout* layout = window.layout()) {
        layout->activate();
    }
    if (tool_ == ToolWindow::BesideOwnerKeepingSize) {
        restoredSize_ = RestoreWindowSize(settings_, section_);
        if (restoredSize_) {
            window.resize(QSize(twips.ToPixels(restoredSize_->width), twips.ToPixels(restoredSize_->height))
                              .expandedTo(window.minimumSize()));
        }
        restoredSizePixels_ = window.size();
    }
    // A stored position wins; the first opening goes beside the owner.
    const bool placedBefore =
        settings_.Read(section_, "Left").has_value() || settings_.Read(section_, "Top").has_value();
    bool beside = false;
    if (tool_ != ToolWindow::No && !placedBefore) {
        if (std::optional<QPoint> corner = BesideOwner(window)) {
            beside = true;
            restoredPixels_ = *corner;
            restored_ = {static_cast<float>(twips.FromPixels(corner->x())),
                         static_cast<float>(twips.FromPixels(corner->y()))};
        }
    }
    QList<QRect> screens = AvailableScreenAreas();
    if (!screens.isEmpty()) {
        FitOnScreen(window, NearestScreen(QRect(restoredPixels_, window.frameGeometry().size()), screens));
    }
    window.move(BringOntoScreen(QRect(restoredPixels_, window.frameGeometry().size()), screens));
    new FramePlacer(window, restoredPixels_, beside);
}

void WindowPlacement::StoreOnce(const QWidget& window, const Twips& twips) {
    if (stored_) {
        return;
    }
    stored_ = true;
    QPoint now = window.pos();
    // Twips that were rounded to pixels on the way in go back out as they came.
    WindowPosition position = now == restoredPixels_
                                  ? restored_
                                  : WindowPosition{static_cast<float>(twips.FromPixels(now.x())),
                                                   static_cast<float>(twips.FromPixels(now.y()))};
    StoreWindowPosition(settings_, section_, position, window.isMinimized());
    if (tool_ == ToolWindow::BesideOwnerKeepingSize) {
        const QSize shown = window.size();
        const WindowSize size = restoredSize_ && shown == restoredSizePixels_
                                    ? *restoredSize_
                                    : WindowSize{static_cast<float>(twips.FromPixels(shown.width())),
                                                 static_cast<float>(twips.FromPixels(shown.height()))};
        StoreWindowSize(settings_, section_, size, window.isMinimized());
    }
}

} // namespace velmora
