#pragma once

#include <QPushButton>
#include <QStyledItemDelegate>

class QChart;
class QChartView;
class QTableView;

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
// without scrolling whatever the CJK font's line spacing. Money texts show
// the yen sign (see WithYenSign) while the items keep their own text.
class TightRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// The texts come from Japanese Windows, where the byte 0x5C is the yen sign;
// CJK fonts here draw U+005C as a backslash, so the screen shows "¥" instead.
QString WithYenSign(const QString& text);

// Grids that look like the file browser's: no row header, tight rows,
// left-aligned captions, whole rows selected, nothing editable.
void StyleGrid(QTableView* grid);

// Shows a new chart in the view and deletes the one it showed: a view owns
// its chart only until it is given another.
void ReplaceChart(QChartView* view, QChart* chart);

// A push button that Enter does not press unless it has the focus.
QPushButton* CommandButton(const char* name, const QString& caption, QWidget* parent);

} // namespace velmora
