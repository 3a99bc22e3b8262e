#pragma once

#include <string>
#include <vector>

namespace velmora {

enum class SaveTargetVerdict {
    Allowed,
    InsideProtectedFolder, // the file written would lie in or below a protected folder
    Unresolvable,          // a link loop, a missing folder, a folder that can't be searched
};

struct SaveTarget {
    SaveTargetVerdict verdict = SaveTargetVerdict::Unresolvable;
    std::string path; // the file a write would replace or create, every link followed
};

// Where a write to `chosen` would really land: every symbolic link is
// followed, and for a file that doesn't exist yet, its folder is resolved.
// A target in or below any of `protectedFolders` (themselves resolved; empty
// or missing ones are skipped) is refused, so that no link, ".." or subfolder
// leads a save into them.
SaveTarget ResolveSaveTarget(const std::string& chosen, const std::vector<std::string>& protectedFolders);

} // namespace velmora
