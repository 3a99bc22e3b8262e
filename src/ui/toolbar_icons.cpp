#include "ui/toolbar_icons.h"

#include <QPainter>
#include <QPixmap>

namespace velmora {
namespace {

constexpr int kSize = 16;

QPixmap BlankImage() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QIcon OpenImage() {
    QPixmap pixmap = BlankImage();
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x80, 0x60, 0x00));
    painter.setBrush(QColor(0xF0, 0xC8, 0x40));
    painter.drawRect(1, 4, 13, 10); // folder body
    painter.drawRect(1, 2, 5, 2);   // tab
    painter.setBrush(QColor(0xFF, 0xE8, 0x90));
    painter.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 14), QPoint(1, 14)}));
    return QIcon(pixmap);
}

QIcon ListImage() {
    QPixmap pixmap = BlankImage();
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.setBrush(Qt::white);
    painter.drawRect(1, 1, 13, 13);
    for (int y = 4; y <= 12; y += 3) {
        painter.fillRect(3, y, 2, 2, QColor(0x20, 0x60, 0xC0));
        painter.fillRect(6, y, 7, 1, QColor(0x40, 0x40, 0x40));
    }
    return QIcon(pixmap);
}

// A small bar chart: the back-test's return rates.
QIcon BacktestImage() {
    QPixmap pixmap = BlankImage();
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawLine(1, 14, 14, 14); // base line
    painter.drawLine(1, 1, 1, 14);
    painter.fillRect(3, 8, 3, 6, QColor(0x30, 0x70, 0xD0));
    painter.fillRect(7, 4, 3, 10, QColor(0xE0, 0x80, 0x20));
    painter.fillRect(11, 10, 3, 4, QColor(0x40, 0xA0, 0x50));
    return QIcon(pixmap);
}

// A line rising across a frame: the odds movement.
QIcon OddsMovementImage() {
    QPixmap pixmap = BlankImage();
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawLine(1, 14, 14, 14);
    painter.drawLine(1, 1, 1, 14);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xD0, 0x30, 0x30), 1.5));
    painter.drawPolyline(QPolygonF({QPointF(3, 11), QPointF(6, 8), QPointF(9, 10), QPointF(14, 3)}));
    painter.setPen(QPen(QColor(0x30, 0x70, 0xD0), 1.5));
    painter.drawPolyline(QPolygonF({QPointF(3, 5), QPointF(7, 6), QPointF(10, 9), QPointF(14, 11)}));
    return QIcon(pixmap);
}

QIcon AboutImage() {
    QPixmap pixmap = BlankImage();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x10, 0x40, 0x90));
    painter.setBrush(QColor(0x30, 0x70, 0xD0));
    painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(7, 3, 2, 2));
    painter.drawRect(QRectF(7, 6.5, 2, 6.5));
    return QIcon(pixmap);
}

} // namespace

std::array<QIcon, 5> ToolbarImages() {
    return {OpenImage(), ListImage(), BacktestImage(), OddsMovementImage(), AboutImage()};
}

QIcon ProgramIcon() {
    QIcon icon(QStringLiteral(":/velmora/velmora.png"));
    return icon;
}

} // namespace velmora
