#pragma once

#include <QWidget>

namespace velmora {

// The PAT file browser (filled in with its listing).
class frmSelectFile : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
public slots:
    void Form_Unload() {}
};

} // namespace velmora
