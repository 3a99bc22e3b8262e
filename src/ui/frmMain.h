#pragma once

#include <QMainWindow>

namespace velmora {

// The main window. For now a plain frame; the race sheet view comes with the
// desktop work.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
};

} // namespace velmora
