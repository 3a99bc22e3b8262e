#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace velmora::test {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes `bytes` to the named file inside the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

// The whole content of a file, as bytes; empty when it can't be read.
std::string ReadFileBytes(const std::filesystem::path& file);

// Every entry below a folder, by its path within it: a file's bytes, a link's
// target, or "folder". Two snapshots are equal when nothing in it changed.
std::map<std::string, std::string> FolderSnapshot(const std::filesystem::path& folder);

} // namespace velmora::test
