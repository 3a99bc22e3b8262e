#pragma once

#include <QPushButton>
#include <QStyledItemDelegate>

namespace velmora {

// A tall, narrow button whose caption runs top to bottom, one character a line.
class VerticalCaptionButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// List rows as tight as the font allows, so the nine recommended pairs fit
// without scrolling whatever the CJK font's line spacing.
class TightRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace velmora
