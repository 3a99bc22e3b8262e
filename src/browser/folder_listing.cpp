// The listing half of the browser: searching the folder and reading the headers.
#include "browser/file_list.h"

#include "patdata/file_naming.h"
#include "patdata/win_place_odds.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace velmora {

std::vector<std::string> FindFolderFiles(const std::string& folder,
                                         const std::function<bool(std::string_view)>& wanted) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(fs::path(folder.empty() ? std::string(".") : folder), error);
    // A folder that vanishes or fails half way yields what was found so far.
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!wanted(name)) {
            continue;
        }
        std::error_code statusError;
        if (it->is_regular_file(statusError) && !statusError) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> FindOddsFiles(const std::string& folder) {
    return FindFolderFiles(folder, MatchesOddsFileMask);
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
