#pragma once

#include <QWidget>

namespace velmora {

// A window the main window owns, as the file browser is: a dialog-type window,
// so that the window manager keeps it above its owner, whose close box and Esc
// only hide it through the window's own 閉じる, so that it keeps its state.
class OwnedWindow : public QWidget {
public:
    explicit OwnedWindow(QWidget* owner) : QWidget(owner, Qt::Dialog) {}

    // 閉じる: hides the window, after whatever it must stop first.
    virtual void btnClose_Click() = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace velmora
