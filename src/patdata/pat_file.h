#pragma once

#include <cstddef>
#include <string>

namespace velmora {

// A PAT data file opened read-only for one reading pass, closed when the object
// goes. It reads strictly in sequence: no seeking, no reading ahead, no look at
// the file's length, and it never writes. Only ordinary files are opened, so a
// pipe or device that happens to carry a PAT name cannot block the reader.
class PatFile {
public:
    explicit PatFile(const std::string& path);
    ~PatFile();
    PatFile(const PatFile&) = delete;
    PatFile& operator=(const PatFile&) = delete;
    PatFile(PatFile&&) = delete;
    PatFile& operator=(PatFile&&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    // Reads exactly `count` bytes into `bytes`. False when the file is not open,
    // ends first or reports an error; after a failure every later read fails too,
    // since the position is no longer known.
    bool Read(std::size_t count, std::string& bytes);

private:
    int fd_ = -1;
    bool failed_ = false;
};

} // namespace velmora
