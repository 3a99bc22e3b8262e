#pragma once

#include "browser/file_list.h"
#include "common/messages.h"
#include "settings/settings_store.h"
#include "ui/folder_watch.h"
#include "ui/owned_window.h"
#include "ui/twips.h"

#include <QWidget>

#include <functional>
#include <string>

class QLabel;
class QPushButton;
class QTableWidget;

namespace velmora {

// The PAT file browser: one row per win/place odds file in the PAT folder.
// Modeless and owned by the main window; closing only hides it, and the main
// window unloads it when the program ends.
class frmSelectFile : public OwnedWindow {
    Q_OBJECT
public:
    using LoadRace = std::function<void(const std::string& path)>;

    frmSelectFile(SettingsStore& settings, MessageSink& messages, LoadRace loadRace, QWidget* owner);

    const FileList& List() const { return list_; }
    QTableWidget* Grid() const { return grdFileList_; }
    // The line under the list: skipped files, or what is wrong with the folder.
    QLabel* NoteLabel() const { return lblNote_; }

    void UpdateList();
    void SelectRace();
    // Lists the folder again without a word, keeping the chosen race chosen.
    void RefreshKeepingSelection();
    FolderWatch* Watch() const { return watch_; }
    // Called after each refresh that changed the list, for the live test.
    void OnRefreshed(std::function<void()> listener) { onRefreshed_ = std::move(listener); }

public slots:
    void btnSelect_Click();
    void btnUpdate_Click();
    void btnClose_Click() override;
    void grdFileList_DblClick(int row);
    void Form_Unload();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void SetupGridHeader();
    void ShowList();
    void ShowNote();

    SettingsStore& settings_;
    MessageSink& messages_;
    LoadRace loadRace_;
    Twips twips_;
    FileList list_;
    QTableWidget* grdFileList_ = nullptr;
    QLabel* lblNote_ = nullptr;
    WindowPlacement placement_;
    FolderWatch* watch_ = nullptr;
    std::function<void()> onRefreshed_;
    int refreshRetries_ = 0;
    bool showing_ = false;
};

} // namespace velmora
