#pragma once

#include "ui/desktop_seams.h"

#include <QDialog>

class QLabel;
class QLineEdit;

namespace velmora {

inline constexpr const char* kHomePage = "https://velmora.example.org/";
inline constexpr const char* kMailAddress = "velmora@example.org";

// The About box: title, version, how to use, and the author's addresses.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    frmAbout(const DesktopSeams& seams, QWidget* parent);

public slots:
    void cmdOK_Click();
    void Label3_Click();
    void txtMail_Click();
    void Form_Unload() {} // keeps nothing

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OpenAddress(const QUrl& url);

    const DesktopSeams& seams_;
    QLabel* Label3_ = nullptr;
    QLineEdit* txtMail_ = nullptr;
};

} // namespace velmora
