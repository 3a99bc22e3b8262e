// A window deleted while one of its modal dialogs runs (the program closing it
// from inside the dialog's event loop) takes the dialog with it. Each test
// deletes the main window from inside a dialog's run: nothing may be freed
// twice and nothing of the deleted window touched afterwards, which the
// sanitizer build turns into a crash.
#include "support/recording_recorder.h"
#include "ui/frmOption.h"
#include "ui_test_support.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QPointer>
#include <QTest>

namespace velmora::test {
namespace {

const std::string kSampleRace = std::string(VELMORA_SOURCE_DIR) + "/samples/pat/Zo-09050111.jra";

class WindowDeletedUnderADialog : public ::testing::Test {
protected:
    void SetUp() override {
        window = new frmMain(settings, remarks, recorder);
        DesktopSeams& seams = window->Seams();
        seams.showMessage = [this](QMessageBox& box) {
            shown.append(box.text());
            DeleteWindow();
        };
        seams.chooseFile = [this](QFileDialog&) {
            DeleteWindow();
            return QString::fromStdString(kSampleRace);
        };
        seams.chooseColor = [this](QColorDialog&) {
            DeleteWindow();
            return std::optional<QColor>(Qt::red);
        };
        window->show();
        QApplication::setActiveWindow(window);
    }
    void TearDown() override { delete window.data(); }

    void DeleteWindow() { delete window.data(); }

    MemorySettingsStore settings;
    RemarkList remarks{"remark one"};
    RecordingRecorder recorder;
    QPointer<frmMain> window;
    QStringList shown;
};

TEST_F(WindowDeletedUnderADialog, AMessageBoxOfTheWindowGoesWithItOnce) {
    window->CoreServices().messages.ShowMessage("text", kAppTitle, MessageIcon::None);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(shown, QStringList{"text"});
}

TEST_F(WindowDeletedUnderADialog, TheOddsHistorysProblemIsShownInTheWindowsOwnMessageBox) {
    window->ShowProblemLater("history problem");
    EXPECT_TRUE(shown.isEmpty()); // only once the event loop is back
    ASSERT_TRUE(QTest::qWaitFor([this] { return window.isNull(); }, 5000));
    EXPECT_EQ(shown, QStringList{"history problem"});
}

TEST_F(WindowDeletedUnderADialog, TheOpenDialogGoesWithItAndNothingIsLoaded) {
    window->mnuFileOpen_Click();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(recorder.Versions(kSampleRace).empty());
}

TEST_F(WindowDeletedUnderADialog, TheOptionsWindowAndItsColourDialogGoWithIt) {
    WhenModal([](QWidget* modal) {
        auto* options = qobject_cast<frmOption*>(modal);
        ASSERT_NE(options, nullptr);
        options->btnColor_Click(0);
    });
    window->mnuToolOption_Click();
    EXPECT_TRUE(window.isNull());
}

TEST_F(WindowDeletedUnderADialog, TheOptionsWindowGoesWithItAndTheSheetIsLeftAlone) {
    WhenModal([this](QWidget*) { DeleteWindow(); });
    window->mnuToolOption_Click();
    EXPECT_TRUE(window.isNull());
}

TEST_F(WindowDeletedUnderADialog, TheAboutBoxGoesWithIt) {
    WhenModal([this](QWidget*) { DeleteWindow(); });
    window->mnuHelpAbout_Click();
    EXPECT_TRUE(window.isNull());
}

} // namespace
} // namespace velmora::test
