#include "common/save_target.h"

#include <sys/stat.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <optional>
#include <system_error>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

// Resolves `path` the way the kernel would walk it, except that a missing
// part ends nothing: what follows it is taken as written, for the folders a
// writer would create. Nothing for a link loop, a part that can't be looked
// at, or a file used as a folder.
std::optional<fs::path> ResolvePath(const fs::path& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    if (error) {
        return std::nullopt;
    }
    const fs::path relative = absolute.relative_path();
    std::deque<fs::path> parts(relative.begin(), relative.end());
    fs::path resolved = absolute.root_path();
    bool missing = false;
    int links = 0;
    while (!parts.empty()) {
        const fs::path part = parts.front();
        parts.pop_front();
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            resolved = resolved.parent_path();
            continue;
        }
        const fs::path next = resolved / part;
        if (missing) {
            resolved = next;
            continue;
        }
        struct stat status {};
        if (lstat(next.c_str(), &status) != 0) {
            if (errno != ENOENT) {
                return std::nullopt;
            }
            missing = true;
            resolved = next;
            continue;
        }
        if (S_ISLNK(status.st_mode)) {
            if (++links > kMaxLinks) {
                return std::nullopt;
            }
            const fs::path target = fs::read_symlink(next, error);
            if (error) {
                return std::nullopt;
            }
            if (target.is_absolute()) {
                resolved = target.root_path();
            }
            const fs::path rest = target.relative_path();
            parts.insert(parts.begin(), rest.begin(), rest.end());
            continue;
        }
        if (!parts.empty() && !S_ISDIR(status.st_mode)) {
            return std::nullopt;
        }
        resolved = next;
    }
    return resolved;
}

bool IsLexicallyInOrBelow(const fs::path& path, const fs::path& folder) {
    const fs::path base = folder.has_filename() ? folder : folder.parent_path();
    return std::mismatch(base.begin(), base.end(), path.begin(), path.end()).first == base.end();
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when `path` (resolved) lies in or below `folder` (resolved): by name,
// or by identity for each folder on the way that exists, which also catches
// the same folder mounted a second time elsewhere.
bool IsInOrBelow(const fs::path& path, const fs::path& folder) {
    if (IsLexicallyInOrBelow(path, folder)) {
        return true;
    }
    struct stat folderStatus {};
    if (stat(folder.c_str(), &folderStatus) != 0) {
        return false;
    }
    for (fs::path at = path;; at = at.parent_path()) {
        struct stat status {};
        if (stat(at.c_str(), &status) == 0 && SameFile(status, folderStatus)) {
            return true;
        }
        if (at == at.parent_path()) {
            return false;
        }
    }
}

// A write replaces or creates an ordinary file; any other kind of file, or
// one whose contents are shared under another name, is not ours to write.
bool IsPlainFileOrMissing(const fs::path& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
        return errno == ENOENT;
    }
    return S_ISREG(status.st_mode) && status.st_nlink <= 1;
}

} // namespace

SaveTarget ResolveSaveTarget(const std::string& chosen, const std::vector<std::string>& protectedFolders) {
    SaveTarget target;
    const std::optional<fs::path> resolved = chosen.empty() ? std::nullopt : ResolvePath(chosen);
    if (!resolved || !resolved->has_relative_path()) {
        return target;
    }
    target.path = resolved->string();
    for (const std::string& folder : protectedFolders) {
        const std::optional<fs::path> protectedPath = folder.empty() ? std::nullopt : ResolvePath(folder);
        if (protectedPath && IsInOrBelow(*resolved, *protectedPath)) {
            target.verdict = SaveTargetVerdict::InsideProtectedFolder;
            return target;
        }
    }
    target.verdict =
        IsPlainFileOrMissing(*resolved) ? SaveTargetVerdict::Allowed : SaveTargetVerdict::NotAPlainFile;
    return target;
}

bool LiesInOrBelow(const std::string& path, const std::string& folder) {
    const std::optional<fs::path> resolvedPath = path.empty() ? std::nullopt : ResolvePath(path);
    const std::optional<fs::path> resolvedFolder = folder.empty() ? std::nullopt : ResolvePath(folder);
    return resolvedPath && resolvedFolder && IsInOrBelow(*resolvedPath, *resolvedFolder);
}

} // namespace velmora
