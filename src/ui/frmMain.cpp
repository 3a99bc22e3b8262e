#include "ui/frmMain.h"

#include <QLabel>

namespace velmora {

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Velmora"));
    auto* label = new QLabel(QStringLiteral("Velmora"), this);
    label->setAlignment(Qt::AlignCenter);
    setCentralWidget(label);
    resize(820, 440);
}

} // namespace velmora
