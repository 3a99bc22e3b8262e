#include "common/folder_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace velmora {

FolderFiles ListFolderFiles(const std::string& folder, const std::function<bool(std::string_view)>& wanted) {
    namespace fs = std::filesystem;
    FolderFiles files;
    std::error_code error;
    fs::directory_iterator it(fs::path(folder.empty() ? std::string(".") : folder), error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!wanted(name)) {
            continue;
        }
        std::error_code statusError;
        if (it->is_regular_file(statusError) && !statusError) {
            files.names.push_back(std::move(name));
        }
    }
    files.readable = !error;
    std::sort(files.names.begin(), files.names.end());
    return files;
}

} // namespace velmora
