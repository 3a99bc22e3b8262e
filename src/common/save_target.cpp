#include "common/save_target.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

// Follows `path` while it is itself a link; false for a loop or an error.
bool FollowLinks(fs::path& path) {
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        std::error_code error;
        fs::file_status status = fs::symlink_status(path, error);
        if (error && error != std::errc::no_such_file_or_directory) {
            return false;
        }
        if (!fs::is_symlink(status)) {
            return true;
        }
        fs::path target = fs::read_symlink(path, error);
        if (error) {
            return false;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return false;
}

// The final path with every folder resolved: the file itself when it exists,
// else its folder, which must.
bool ResolveFinal(const fs::path& path, fs::path& resolved) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(path, error))) {
        resolved = fs::canonical(path, error);
        return !error;
    }
    fs::path folder = fs::canonical(path.parent_path(), error);
    if (error || !path.has_filename()) {
        return false;
    }
    resolved = folder / path.filename();
    return true;
}

bool IsInOrBelow(const fs::path& path, const fs::path& folder) {
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first == folder.end();
}

} // namespace

SaveTarget ResolveSaveTarget(const std::string& chosen, const std::vector<std::string>& protectedFolders) {
    SaveTarget target;
    std::error_code error;
    fs::path path = fs::absolute(fs::path(chosen), error);
    fs::path resolved;
    if (chosen.empty() || error || !FollowLinks(path) || !ResolveFinal(path, resolved)) {
        return target;
    }
    target.path = resolved.string();
    for (const std::string& folder : protectedFolders) {
        if (folder.empty()) {
            continue;
        }
        fs::path protectedPath = fs::canonical(fs::path(folder), error);
        if (!error && IsInOrBelow(resolved, protectedPath)) {
            target.verdict = SaveTargetVerdict::InsideProtectedFolder;
            return target;
        }
    }
    target.verdict = SaveTargetVerdict::Allowed;
    return target;
}

} // namespace velmora
