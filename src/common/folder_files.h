#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// What a folder holds of the wanted files, and whether it could be read.
struct FolderFiles {
    std::vector<std::string> names; // bare names, in byte order
    bool readable = true;           // false: missing, not a folder, or not listable to its end
};

// The ordinary files of a folder whose names `wanted` accepts. When the folder
// can't be read, `readable` is false and `names` holds what was found before
// the failure; callers decide whether that is an error or simply nothing.
FolderFiles ListFolderFiles(const std::string& folder, const std::function<bool(std::string_view)>& wanted);

} // namespace velmora
