#pragma once

#include "common/messages.h"
#include "settings/settings_store.h"
#include "shell/remarks.h"
#include "support/recording_recorder.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace velmora::test {

// A message box as the user would have seen it.
struct ShownMessage {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Finds a child by object name, failing the test when it is missing.
template <typename T> T* Find(QObject* root, const QString& name) {
    T* child = root->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << "no " << name.toStdString();
    return child;
}

inline QString Text(QObject* root, const QString& name) {
    if (auto* edit = root->findChild<QLineEdit*>(name)) {
        return edit->text();
    }
    if (auto* label = root->findChild<QLabel*>(name)) {
        return label->text();
    }
    if (auto* combo = root->findChild<QComboBox*>(name)) {
        return combo->currentText();
    }
    ADD_FAILURE() << "no text widget " << name.toStdString();
    return {};
}

inline QStringList Items(QObject* root, const QString& name) {
    QStringList items;
    if (auto* list = Find<QListWidget>(root, name)) {
        for (int i = 0; i < list->count(); ++i) {
            items.append(list->item(i)->text());
        }
    }
    return items;
}

// Runs `answer` on the next modal window once it is up, while the code under
// test waits in that window's event loop.
inline void WhenModal(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer(QApplication::instance());
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer = std::move(answer)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(modal);
        }
    });
    poll->start();
}

// The main window with recorded messages and no real dialogs.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { Open(); }

    void Open() {
        window = std::make_unique<frmMain>(settings, remarks, recorder);
        window->Seams().showMessage = [this](QMessageBox& box) {
            messages.push_back({box.windowTitle(), box.text(), box.icon(), box.standardButtons()});
        };
        window->Seams().chooseFile = [this](QFileDialog& dialog) {
            return fileChooser ? fileChooser(dialog) : QString();
        };
        window->Seams().openUrl = [this](const QUrl& url) {
            openedUrls.append(url);
            return true;
        };
        window->show();
    }

    void Trigger(const QString& actionName) {
        auto* action = Find<QAction>(window.get(), actionName);
        ASSERT_NE(action, nullptr);
        action->trigger();
    }

    MemorySettingsStore settings;
    RemarkList remarks{"remark one"};
    RecordingRecorder recorder;
    std::unique_ptr<frmMain> window;
    std::vector<ShownMessage> messages;
    std::function<QString(QFileDialog&)> fileChooser;
    QList<QUrl> openedUrls;
};

} // namespace velmora::test
