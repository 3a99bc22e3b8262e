// The listing half of the browser: searching the folder and reading the headers.
#include "browser/file_list.h"

#include "common/folder_files.h"
#include "patdata/file_naming.h"
#include "patdata/win_place_odds.h"

#include <utility>

namespace velmora {

std::vector<std::string> FindOddsFiles(const std::string& folder) {
    // The browser shows an unreadable folder as an empty list.
    FolderFiles files = ListFolderFiles(folder, MatchesOddsFileMask);
    return files.readable ? std::move(files.names) : std::vector<std::string>();
}

void FileList::UpdateList(const std::string& folder, MessageSink& messages) {
    for (FileListRow& row : rows_) {
        row = FileListRow{};
    }
    listed_ = 0;
    for (const std::string& name : FindOddsFiles(folder)) {
        RaceHeader header;
        if (!ReadRaceFileHeader(JoinFolder(folder, name), header, messages)) {
            break;
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
