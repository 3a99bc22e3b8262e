// The listing half of the browser: searching the folder and reading the headers.
#include "browser/file_list.h"

#include "common/folder_files.h"
#include "patdata/file_naming.h"

#include <optional>
#include <utility>

namespace velmora {

std::vector<std::string> FindOddsFiles(const std::string& folder) {
    // The browser's own listing tells an unreadable folder from an empty one.
    FolderFiles files = ListFolderFiles(folder, MatchesOddsFileMask);
    return files.readable ? std::move(files.names) : std::vector<std::string>();
}

void FileList::UpdateList(const std::string& folder) {
    for (FileListRow& row : rows_) {
        row = FileListRow{};
    }
    listed_ = 0;
    skipped_.clear();
    folder_ = folder;
    FolderFiles files = ListFolderFiles(folder, MatchesOddsFileMask);
    folderState_ = FolderState::Ready;
    if (!files.readable) {
        // A folder that went unreadable between the listing and the look is unreadable all the same.
        FolderState state = CheckFolder(folder);
        folderState_ = state == FolderState::Ready ? FolderState::Unreadable : state;
        files.names.clear();
    }
    for (const std::string& name : files.names) {
        RaceHeader header;
        if (std::optional<OddsFileFault> fault = ReadOddsFileHeader(JoinFolder(folder, name), header)) {
            // A broken file leaves the others listed; the window names it.
            skipped_.push_back({name, *fault});
            continue;
        }
        ++listed_;
        rows_.resize(static_cast<std::size_t>(listed_));
        AddFileRow(listed_, name, header);
    }
    SortFileRows(rows_);
    NumberFileRows(rows_, static_cast<std::size_t>(listed_));
    currentRow_ = 0;
    ++revision_;
}

} // namespace velmora
