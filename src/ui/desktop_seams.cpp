#include "ui/desktop_seams.h"

#include "ui/parented_dialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>

namespace velmora {

DesktopSeams DesktopSeams::Interactive() {
    // A dialog deleted with its parent while it runs ends its exec() as
    // rejected, so it is asked for its answer only while it is still there.
    DesktopSeams seams;
    seams.showMessage = [](QMessageBox& box) { box.exec(); };
    seams.chooseFile = [](QFileDialog& dialog) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return QString();
        }
        return dialog.selectedFiles().constFirst();
    };
    seams.chooseColor = [](QColorDialog& dialog) -> std::optional<QColor> {
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.selectedColor();
    };
    seams.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return seams;
}

void QtMessageSink::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr) {
        parent = QApplication::activeWindow();
    }
    if (parent == nullptr) {
        parent = fallbackParent_;
    }
    ParentedDialog<QMessageBox> box(
        icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
        QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("MessageBox"));
    KeepCaptionWhole(*box);
    // Nothing of this sink is touched after the run: it belongs to a window
    // that may have gone meanwhile.
    seams_.showMessage(*box);
}

int CaptionWidth(const QMessageBox& box) {
    QFont titleFont = box.font();
    titleFont.setBold(true);
    // Room beside the caption for the window manager's icon and its three buttons.
    const int decorations = 6 * QFontMetrics(titleFont).height();
    return QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + decorations;
}

void KeepCaptionWhole(QMessageBox& box) {
    // A message box sizes itself to its text; a spacer across its grid is the
    // one minimum width it respects.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) {
        box.setMinimumWidth(CaptionWidth(box));
        return;
    }
    grid->addItem(new QSpacerItem(CaptionWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QColor ColorFromPacked(std::int32_t packed) {
    return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

std::int32_t PackedFromColor(const QColor& color) {
    return color.red() + 256 * color.green() + 65536 * color.blue();
}

} // namespace velmora
