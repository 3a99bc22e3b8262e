#include "ui/owned_window.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace velmora {

void OwnedWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    btnClose_Click();
}

void OwnedWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        btnClose_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace velmora
