#pragma once

#include <string>
#include <vector>

namespace velmora {

enum class SaveTargetVerdict {
    Allowed,
    InsideProtectedFolder, // the file written would lie in or below a protected folder
    // The final target is a folder, pipe, device or socket, or a file that
    // has other names (hard links) whose contents a write would change too.
    NotAPlainFile,
    Unresolvable, // a link loop, a folder that can't be searched, a file used as a folder
};

struct SaveTarget {
    SaveTargetVerdict verdict = SaveTargetVerdict::Unresolvable;
    std::string path; // the file a write would replace or create, every link followed
};

// The one rule for every file the program writes: where a write to `chosen`
// would really land. Every symbolic link on the way is followed, dangling
// ones too, and folders that don't exist yet are taken as the writer would
// create them. A target in or below any of `protectedFolders` (found by the
// same rule, and by identity, so that a bind mount counts too; empty entries
// are skipped) is refused, as is a final target that exists and is not an
// ordinary file of its own.
SaveTarget ResolveSaveTarget(const std::string& chosen, const std::vector<std::string>& protectedFolders);

// Whether the file or folder at `path` lies in or below `folder`, by the same
// rule; false when either can't be resolved.
bool LiesInOrBelow(const std::string& path, const std::string& folder);

} // namespace velmora
