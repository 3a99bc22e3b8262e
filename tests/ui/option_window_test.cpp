#include "settings/settings_ops.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"
#include "ui/frmOption.h"
#include "ui_test_support.h"

#include <QColorDialog>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileSystemModel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeView>

namespace velmora::test {
namespace {

class OptionWindowTest : public MainWindowTest {
protected:
    // Opens the Options window from the menu, answers the colour dialog with
    // `pick` for the buttons listed, then presses `closeWith`.
    void RunOptions(const std::vector<int>& buttons, std::optional<QColor> pick, const char* closeWith) {
        window->Seams().chooseColor = [this, pick](QColorDialog& dialog) {
            colorDialogTitles.append(dialog.windowTitle());
            return pick;
        };
        WhenModal([=, this](QWidget* modal) {
            options = qobject_cast<frmOption*>(modal);
            ASSERT_NE(options, nullptr);
            for (int index : buttons) {
                Find<QPushButton>(modal, QStringLiteral("btnColor_%1").arg(index))->click();
            }
            if (closeWith == nullptr) {
                modal->close(); // the close box
            } else {
                Find<QPushButton>(modal, closeWith)->click();
            }
        });
        Trigger("mnuToolOption");
    }

    QColor Background(const char* cell) {
        return Find<QLineEdit>(window.get(), cell)->palette().color(QPalette::Base);
    }

    QStringList colorDialogTitles;
    frmOption* options = nullptr;
};

TEST_F(OptionWindowTest, OkRecoloursTheSheetAtOnceAndStoresEveryColour) {
    Trigger("mnuTestData1");
    window->btnCalc_Click();
    ASSERT_EQ(Text(window.get(), "txtTanPopular_8"), "1");
    ASSERT_EQ(Background("txtTanPopular_8"), QColor(Qt::white));

    RunOptions({0}, QColor(255, 0, 0), "btnOk");
    EXPECT_EQ(colorDialogTitles, QStringList{QStringLiteral("色の設定")});
    EXPECT_EQ(Background("txtTanPopular_8"), QColor(255, 0, 0));
    EXPECT_EQ(GetPopularColor(settings, 1), 255);
    for (int rank = 2; rank <= 18; ++rank) {
        EXPECT_EQ(settings.Read("Option\\PopularColor", std::to_string(rank)), "16777215") << rank;
    }
}

TEST_F(OptionWindowTest, CancelAndCloseBoxStoreNothingButThePosition) {
    SetPopularColor(settings, 1, 0xFF0000); // blue
    Trigger("mnuTestData1");
    window->btnCalc_Click();
    for (const char* closeWith : {"btnCancel", static_cast<const char*>(nullptr)}) {
        RunOptions({0, 5}, QColor(0, 255, 0), closeWith);
        EXPECT_EQ(GetPopularColor(settings, 1), 0xFF0000);
        EXPECT_FALSE(settings.Read("Option\\PopularColor", "6").has_value());
        EXPECT_FALSE(settings.Read("Option", "PatFolder").has_value());
        EXPECT_TRUE(settings.Read("OptionWindow", "Left").has_value());
        EXPECT_EQ(Background("txtTanPopular_8"), QColor(0, 0, 255));
    }
}

TEST_F(OptionWindowTest, StandardColoursFillTheButtonsOnlyAndOkStoresThem) {
    SetPopularColor(settings, 2, 0x123456);
    const auto standard = StandardPopularColors();
    for (const char* closeWith : {"btnCancel", "btnOk"}) {
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<frmOption*>(modal);
            EXPECT_EQ(Find<QPushButton>(modal, "btnStandardColors")->text(), "標準の色");
            Find<QPushButton>(modal, "btnStandardColors")->click();
            for (int i = 0; i < kColorButtonCount; ++i) {
                EXPECT_EQ(dialog->FaceColor(i), standard[static_cast<std::size_t>(i)]) << i;
            }
            Find<QPushButton>(modal, closeWith)->click();
        });
        Trigger("mnuToolOption");
    }
    // The stored colour stood until OK; then all 18 are the palette's.
    for (int rank = 1; rank <= kColorButtonCount; ++rank) {
        EXPECT_EQ(GetPopularColor(settings, rank), standard[static_cast<std::size_t>(rank - 1)]) << rank;
    }
    Trigger("mnuTestData1");
    window->btnCalc_Click();
    EXPECT_EQ(Background("txtTanPopular_8"), ColorFromPacked(standard[0]));
}

TEST_F(OptionWindowTest, ColourDialogCancelOrSameColourLeavesTheFace) {
    SetPopularColor(settings, 3, 0x123456);
    frmOption dialog(settings, window->Seams(), window.get());
    window->Seams().chooseColor = [](QColorDialog&) { return std::optional<QColor>(); };
    dialog.btnColor_Click(2);
    EXPECT_EQ(dialog.FaceColor(2), 0x123456);
    window->Seams().chooseColor = [](QColorDialog& picker) {
        EXPECT_EQ(PackedFromColor(picker.currentColor()), 0x123456);
        return std::optional<QColor>(picker.currentColor());
    };
    dialog.btnColor_Click(2);
    EXPECT_EQ(dialog.FaceColor(2), 0x123456);
    EXPECT_EQ(dialog.FaceColor(0), kWhite);
}

TEST_F(OptionWindowTest, FolderBoxShowsTheStoredFolderAndOkStoresItAsShown) {
    TempDir folder;
    const QString existing = QString::fromStdString(folder.path().string());
    struct Case {
        QString stored;
        QString shown;
    };
    const Case cases[] = {
        {existing + "/", existing}, // the folder list's own form, no trailing "/"
        {"/no/such/velmora/folder", "/no/such/velmora/folder/"}, // kept as stored
    };
    for (const Case& c : cases) {
        SetPatFolder(settings, c.stored.toStdString());
        frmOption dialog(settings, window->Seams(), window.get());
        auto* box = Find<QLineEdit>(&dialog, "txtPatFolder");
        EXPECT_EQ(box->text(), c.shown);
        dialog.btnOk_Click();
        EXPECT_EQ(settings.Read("Option", "PatFolder"), c.shown.toStdString());
    }

    // Emptying the box stores an empty folder.
    frmOption dialog(settings, window->Seams(), window.get());
    Find<QLineEdit>(&dialog, "txtPatFolder")->clear();
    dialog.btnOk_Click();
    EXPECT_EQ(settings.Read("Option", "PatFolder"), "");
    EXPECT_EQ(GetPatFolder(settings), "/");
}

// Root reads any folder: the unreadable one is checked for an unprivileged user.
TEST_F(OptionWindowTest, OkRefusesAFileOrAMissingOrUnreadableFolderAndStaysOpen) {
    namespace fs = std::filesystem;
    TempDir folder;
    const std::string file = folder.Write("Zo-1.jra", "x");
    const std::string missing = (folder.path() / "none").string();
    SetPatFolder(settings, folder.path().string());
    const std::pair<std::string, QString> cases[] = {
        {file, "PATフォルダの指定先はフォルダではありません。"},
        {missing, "PATフォルダが見つかりません。"},
    };
    for (const auto& [typed, text] : cases) {
        messages.clear();
        bool closed = false;
        WhenModal([&, typed = typed](QWidget* modal) {
            Find<QLineEdit>(modal, "txtPatFolder")->setText(QString::fromStdString(typed));
            Find<QPushButton>(modal, "btnOk")->click();
            closed = !modal->isVisible();
            Find<QPushButton>(modal, "btnCancel")->click();
        });
        Trigger("mnuToolOption");
        EXPECT_FALSE(closed) << typed;
        ASSERT_EQ(messages.size(), 1u) << typed;
        EXPECT_EQ(messages[0].text, text + "\n" + QString::fromStdString(typed));
        EXPECT_EQ(messages[0].caption, "えらー");
        EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
        EXPECT_EQ(GetPatFolder(settings), folder.path().string() + "/");
    }

    fs::permissions(folder.path(), fs::perms(0755));
    const fs::path unlistable = folder.path() / "unlistable";
    fs::create_directories(unlistable);
    fs::permissions(unlistable, fs::perms(0311));
    int found = RunUnprivileged([&] {
        MemorySettingsStore store;
        SetPatFolder(store, folder.path().string());
        QStringList shown;
        DesktopSeams seams = window->Seams();
        seams.showMessage = [&shown](QMessageBox& box) { shown.append(box.text()); };
        frmOption dialog(store, seams, window.get());
        Find<QLineEdit>(&dialog, "txtPatFolder")->setText(QString::fromStdString(unlistable.string()));
        dialog.btnOk_Click();
        bool refused =
            shown.size() == 1 && shown[0].startsWith(QStringLiteral("PATフォルダを読み込めません。"));
        return (refused ? 1 : 0) + (GetPatFolder(store) == folder.path().string() + "/" ? 2 : 0);
    });
    fs::permissions(unlistable, fs::perms(0755));
    if (found < 0) {
        GTEST_SKIP() << "could not run as an unprivileged user to make a folder unreadable";
    }
    EXPECT_EQ(found, 3);
}

TEST_F(OptionWindowTest, OpeningAFolderInTheListPutsItInTheBox) {
    TempDir folder;
    std::filesystem::create_directory(folder.path() / "sub");
    SetPatFolder(settings, folder.path().string());
    frmOption dialog(settings, window->Seams(), window.get());
    auto* tree = Find<QTreeView>(&dialog, "dirList");
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    ASSERT_NE(model, nullptr);
    const QString sub = QString::fromStdString((folder.path() / "sub").string());
    tree->setCurrentIndex(model->index(sub));
    EXPECT_EQ(Text(&dialog, "txtPatFolder"), sub);
    // Typing changes only the box.
    Find<QLineEdit>(&dialog, "txtPatFolder")->setText("/elsewhere");
    EXPECT_EQ(model->filePath(tree->currentIndex()), sub);
}

// True once the folder list shows `index` inside its viewport, its parents opened.
bool ShownInList(QTreeView* tree, const QModelIndex& index) {
    return QTest::qWaitFor(
        [&] {
            return tree->currentIndex() == index &&
                   tree->viewport()->rect().intersects(tree->visualRect(index));
        },
        5000);
}

TEST_F(OptionWindowTest, FolderListOpensAtTheStoredFolderOrElseAtTheCurrentOne) {
    TempDir folder;
    const std::filesystem::path deep = folder.path() / "a" / "b" / "c" / "d";
    std::filesystem::create_directories(deep);
    SetPatFolder(settings, deep.string());
    {
        frmOption dialog(settings, window->Seams(), window.get());
        dialog.show();
        auto* tree = Find<QTreeView>(&dialog, "dirList");
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        ASSERT_NE(model, nullptr);
        EXPECT_TRUE(ShownInList(tree, model->index(QString::fromStdString(deep.string()))));
    }
    SetPatFolder(settings, (folder.path() / "missing").string());
    frmOption dialog(settings, window->Seams(), window.get());
    dialog.show();
    auto* tree = Find<QTreeView>(&dialog, "dirList");
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(ShownInList(tree, model->index(QDir::currentPath())));
}

TEST(PickableVolumes, ListsTheHomeFolderAndRealVolumesOnly) {
    const QList<MountedVolume> volumes{
        {"/", "/dev/sda1", "ext4", true, false},
        {"/proc", "proc", "proc", true, false},
        {"/sys/fs/cgroup", "cgroup2", "cgroup2", true, false},
        {"/dev/shm", "tmpfs", "tmpfs", true, false},
        {"/run/user/1000", "tmpfs", "tmpfs", true, false},
        {"/snap/core22/864", "/dev/loop3", "squashfs", true, true},
        {"/etc/hosts", "/dev/sda1", "ext4", true, false}, // a sandbox's bind of the root device
        {"/data", "/dev/sdb1", "xfs", true, false},
        {"/media/user/CDROM", "/dev/sr0", "iso9660", true, true},
        {"/mnt/archive", "/dev/sdc1", "ext4", true, true},          // read-only and fixed
        {"/media/user/card", "/dev/sdd1", "vfat", false, false},    // not ready
        {"/media/user/image", "/dev/loop5", "iso9660", true, true}, // a read-only loop
        {"/boot/efi", "/dev/sda2", "vfat", true, false},
    };
    EXPECT_EQ(frmOption::PickableVolumes(volumes, "/home/user"),
              QStringList({"/home/user", "/", "/data", "/media/user/CDROM"}));
}

TEST(VolumeOf, PicksTheLongestMountPointHoldingThePath) {
    const QStringList roots{"/", "/home", "/media/usb", "/home/user/pat"};
    const std::pair<const char*, const char*> cases[] = {
        {"/home/user/pat/Zo", "/home/user/pat"},
        {"/home/user", "/home"},
        {"/homework", "/"},
        {"/media/usb", "/media/usb"},
        {"/", "/"},
    };
    for (const auto& [path, root] : cases) {
        EXPECT_EQ(frmOption::VolumeOf(path, roots), root) << path;
    }
}

TEST_F(OptionWindowTest, ColourGridHasThreeColumnsOfSixWithLabels) {
    frmOption dialog(settings, window->Seams(), window.get());
    EXPECT_EQ(dialog.windowTitle(), "ｵﾌﾟｼｮﾝ");
    auto* first = Find<QPushButton>(&dialog, "btnColor_0");
    auto* seventh = Find<QPushButton>(&dialog, "btnColor_6");
    auto* sixth = Find<QPushButton>(&dialog, "btnColor_5");
    EXPECT_EQ(first->y(), seventh->y());
    EXPECT_GT(seventh->x(), first->x());
    EXPECT_GT(sixth->y(), first->y());
    EXPECT_EQ(Text(&dialog, "Label1_0"), "1人気");
    EXPECT_EQ(Text(&dialog, "Label1_17"), "18人気");
    // Enter is OK and Esc is ｷｬﾝｾﾙ (keyboard_test.cpp presses them).
    EXPECT_TRUE(Find<QPushButton>(&dialog, "btnOk")->isDefault());
    EXPECT_FALSE(Find<QPushButton>(&dialog, "btnCancel")->isDefault());
}

TEST_F(OptionWindowTest, MarkThresholdsShowTheStoredValuesAndOnlyOkStoresThem) {
    SetRankGap(settings, 5);
    settings.Write("Option", "QuinellaRatio", "0.2"); // out of range: shown as the default
    {
        frmOption dialog(settings, window->Seams(), window.get());
        EXPECT_EQ(Find<QDoubleSpinBox>(&dialog, "spnMoveFactor")->value(), 1.3);
        EXPECT_EQ(Find<QSpinBox>(&dialog, "spnRankGap")->value(), 5);
        EXPECT_EQ(Find<QDoubleSpinBox>(&dialog, "spnQuinellaRatio")->value(), 1.5);
        // The boxes refuse what the settings would not keep.
        Find<QSpinBox>(&dialog, "spnRankGap")->setValue(0);
        EXPECT_EQ(Find<QSpinBox>(&dialog, "spnRankGap")->value(), 1);
        Find<QDoubleSpinBox>(&dialog, "spnMoveFactor")->setValue(1.0);
        EXPECT_EQ(Find<QDoubleSpinBox>(&dialog, "spnMoveFactor")->value(), 1.01);
        Find<QPushButton>(&dialog, "btnCancel")->click();
    }
    EXPECT_FALSE(settings.Read("Option", "MoveFactor").has_value());
    EXPECT_EQ(GetRankGap(settings), 5);

    frmOption dialog(settings, window->Seams(), window.get());
    Find<QDoubleSpinBox>(&dialog, "spnMoveFactor")->setValue(1.45);
    Find<QSpinBox>(&dialog, "spnRankGap")->setValue(4);
    Find<QDoubleSpinBox>(&dialog, "spnQuinellaRatio")->setValue(2.25);
    Find<QPushButton>(&dialog, "btnOk")->click();
    EXPECT_EQ(GetMoveFactor(settings), 1.45);
    EXPECT_EQ(GetRankGap(settings), 4);
    EXPECT_EQ(GetQuinellaRatio(settings), 2.25);
}

TEST_F(OptionWindowTest, MarkLabelsAreShownWholeBelowTheColours) {
    frmOption dialog(settings, window->Seams(), window.get());
    dialog.show();
    auto* colours = Find<QPushButton>(&dialog, "btnColor_5");
    for (int i = 0; i < 3; ++i) {
        auto* label = Find<QLabel>(&dialog, QStringLiteral("lblMark_%1").arg(i));
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        EXPECT_GT(label->mapTo(&dialog, QPoint()).y(), colours->mapTo(&dialog, QPoint()).y());
        EXPECT_LE(label->buddy()->mapTo(&dialog, QPoint(label->buddy()->width(), 0)).x(), dialog.width());
    }
}

} // namespace
} // namespace velmora::test
