#include "ui/sheet_widgets.h"

#include <QChartView>
#include <QFontInfo>
#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTableView>
#include <QtMath>

namespace velmora {

void VerticalCaptionButton::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    const QString caption = text();
    const QFontMetrics metrics = fontMetrics();
    const int lineHeight = metrics.height();
    int y = (height() - lineHeight * static_cast<int>(caption.size())) / 2;
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    for (const QChar character : caption) {
        painter.drawText(QRect(0, y, width(), lineHeight), Qt::AlignCenter, QString(character));
        y += lineHeight;
    }
}

QSize TightRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const int pixels = QFontInfo(option.font).pixelSize();
    size.setHeight(qCeil(pixels * 1.25));
    return size;
}

void TightRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = WithYenSign(option->text);
}

QString WithYenSign(const QString& text) {
    QString shown = text;
    return shown.replace(QLatin1Char('\\'), QChar(0x00A5));
}

QPushButton* CommandButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setAutoDefault(false);
    return button;
}

void StyleGrid(QTableView* grid) {
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    grid->setTextElideMode(Qt::ElideRight);
}

void ReplaceChart(QChartView* view, QChart* chart) {
    QChart* old = view->chart();
    view->setChart(chart);
    delete old;
}

} // namespace velmora
