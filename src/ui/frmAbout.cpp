#include "ui/frmAbout.h"

#include "ui/toolbar_icons.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {
namespace {

constexpr std::array<const char*, 5> kHowToUse = {
    "単複オッズを入力して”買い目算出！”ボタンを押すだけです。",
    "あとは表示された推奨買い目と実際の馬連オッズを見比べて",
    "見（ケン）するかどうか、買う場合は投資額を決めて下さい。",
    "要するに儲かるかどうかは本人次第です。なんて無責任。。。",
    "また、ＰＡＴのデータを流用することが可能です。(^o^)",
};

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

// Blue and underlined, like a link in a browser.
void ShowAsLink(QWidget* widget) {
    QFont font = widget->font();
    font.setUnderline(true);
    widget->setFont(font);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    palette.setColor(QPalette::Text, Qt::blue);
    widget->setPalette(palette);
    widget->setCursor(Qt::PointingHandCursor);
}

} // namespace

frmAbout::frmAbout(const DesktopSeams& seams, QWidget* parent) : QDialog(parent), seams_(seams) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報 Velmora"));
    setModal(true);

    auto* picIcon = NamedLabel("picIcon", QString(), this);
    picIcon->setPixmap(ProgramIcon().pixmap(48, 48));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* lblTitle = NamedLabel("lblTitle", QStringLiteral("Velmora"), this);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    auto* lblVersion = NamedLabel("lblVersion", QStringLiteral("Version 2.10"), this);
    auto* lblDescription =
        NamedLabel("lblDescription", QStringLiteral("単複オッズから推奨買い目を算出します"), this);
    auto* lblAuthor = NamedLabel("lblAuthor", QStringLiteral("作者: Velmora 開発チーム"), this);

    auto* heading = new QVBoxLayout;
    heading->addWidget(lblTitle);
    heading->addWidget(lblVersion);
    heading->addWidget(lblDescription);
    heading->addWidget(lblAuthor);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon);
    top->addLayout(heading, 1);

    auto* usage = new QGroupBox(QStringLiteral("使い方"), this);
    usage->setObjectName(QStringLiteral("fraUsage"));
    auto* usageLines = new QVBoxLayout(usage);
    for (std::size_t i = 0; i < kHowToUse.size(); ++i) {
        auto* line = new QLabel(QString::fromUtf8(kHowToUse[i]), usage);
        line->setObjectName(QStringLiteral("lblUsage_%1").arg(i + 1));
        usageLines->addWidget(line);
    }

    Label3_ = NamedLabel("Label3", QString::fromUtf8(kHomePage), this);
    ShowAsLink(Label3_);
    Label3_->installEventFilter(this);
    txtMail_ = new QLineEdit(QString::fromUtf8(kMailAddress), this);
    txtMail_->setObjectName(QStringLiteral("txtMail"));
    txtMail_->setFrame(false);
    txtMail_->setReadOnly(true);
    txtMail_->setFocusPolicy(Qt::NoFocus);
    txtMail_->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    ShowAsLink(txtMail_);
    txtMail_->installEventFilter(this);

    auto* links = new QGridLayout;
    links->addWidget(new QLabel(QStringLiteral("HomePage  :"), this), 0, 0);
    links->addWidget(Label3_, 0, 1);
    links->addWidget(new QLabel(QStringLiteral("E-Mail  :"), this), 1, 0);
    links->addWidget(txtMail_, 1, 1);
    links->setColumnStretch(1, 1);

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true); // Enter; Escape cancels the dialog, which unloads it too
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(usage);
    layout->addLayout(links);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (parent != nullptr) {
        adjustSize();
        move(parent->frameGeometry().center() - rect().center());
    }
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label3_) {
            Label3_Click();
            return true;
        }
        if (watched == txtMail_) {
            txtMail_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::OpenAddress(const QUrl& url) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Whether a browser or mail program came up is not reported.
    (void)seams_.openUrl(url);
    QApplication::restoreOverrideCursor();
}

void frmAbout::Label3_Click() {
    OpenAddress(QUrl(QString::fromUtf8(kHomePage)));
}

void frmAbout::txtMail_Click() {
    OpenAddress(QUrl(QStringLiteral("mailto:") + QString::fromUtf8(kMailAddress)));
}

void frmAbout::cmdOK_Click() {
    accept();
}

} // namespace velmora
