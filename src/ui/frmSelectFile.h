#pragma once

#include "browser/file_list.h"
#include "common/messages.h"
#include "settings/settings_store.h"
#include "ui/twips.h"

#include <QWidget>

#include <functional>
#include <string>

class QPushButton;
class QTableWidget;

namespace velmora {

// The PAT file browser: one row per win/place odds file in the PAT folder.
// Modeless and owned by the main window; closing only hides it, and the main
// window unloads it when the program ends.
class frmSelectFile : public QWidget {
    Q_OBJECT
public:
    using LoadRace = std::function<void(const std::string& path)>;

    frmSelectFile(SettingsStore& settings, MessageSink& messages, LoadRace loadRace, QWidget* owner);

    const FileList& List() const { return list_; }
    QTableWidget* Grid() const { return grdFileList_; }

    void UpdateList();
    void SelectRace();

public slots:
    void btnSelect_Click();
    void btnUpdate_Click();
    void btnClose_Click();
    void grdFileList_DblClick(int row);
    void Form_Unload();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void SetupGridHeader();
    void ShowList();

    SettingsStore& settings_;
    MessageSink& messages_;
    LoadRace loadRace_;
    Twips twips_;
    FileList list_;
    QTableWidget* grdFileList_ = nullptr;
    WindowPlacement placement_;
    bool showing_ = false;
};

} // namespace velmora
