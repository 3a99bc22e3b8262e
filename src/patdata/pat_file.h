#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// A PAT data file opened read-only for one reading pass, closed when the object
// goes. It reads strictly in sequence through a buffer of its own: no seeking,
// no look at the file's length, and it never writes. Only ordinary files are
// opened, so a pipe or device that happens to carry a PAT name cannot block
// the reader.
class PatFile {
public:
    // Bytes fetched from the file at a time: a whole race file or result file
    // in one system call, instead of one call per field.
    static constexpr std::size_t kChunkSize = 4096;

    explicit PatFile(const std::string& path);
    // Reads `bytes`, all of them, as though they were the whole file: what was
    // taken from a file once can be read again without opening it. The bytes
    // are read where they lie, and must outlive the object.
    struct Contents {
        std::string_view bytes;
    };
    explicit PatFile(Contents contents);
    ~PatFile();
    PatFile(const PatFile&) = delete;
    PatFile& operator=(const PatFile&) = delete;
    PatFile(PatFile&&) = delete;
    PatFile& operator=(PatFile&&) = delete;

    bool IsOpen() const { return fd_ >= 0 || inMemory_; }

    // Bytes fetched already (or given) and not yet read: a read of no more
    // than these can't fail.
    std::size_t Buffered() const { return end_ - begin_; }

    // Reads exactly `count` bytes into `bytes`. False when the file is not open,
    // ends first or reports an error; after a failure every later read fails too,
    // since the position is no longer known.
    bool Read(std::size_t count, std::string& bytes);

    // Reads up to `count` bytes (at most kChunkSize), fewer where the file ends.
    // False when the file is not open (no bytes) or a read fails (the bytes
    // before it); later reads then fail as after Read.
    bool ReadAtMost(std::size_t count, std::string& bytes);

    // As Read, but `bytes` views the file's buffer and stays valid only until
    // the next read. `count` may not exceed kChunkSize.
    bool ReadView(std::size_t count, std::string_view& bytes) {
        // Inline for the usual case, a field that lies in the buffer already
        // (a failed or closed file has none buffered).
        if (count == 0 || end_ - begin_ < count) {
            return ReadViewAfterFill(count, bytes);
        }
        bytes = std::string_view(data_ + begin_, count);
        begin_ += count;
        return true;
    }

private:
    bool ReadViewAfterFill(std::size_t count, std::string_view& bytes);
    // Makes at least `count` bytes (at most kChunkSize) available in the buffer.
    bool Fill(std::size_t count);
    // As Fill; when it falls short, `error` tells a failed read from the end of the file.
    bool Fill(std::size_t count, bool& error);
    bool Fail();

    int fd_ = -1;
    bool inMemory_ = false; // data_ holds the whole file
    bool failed_ = false;
    std::size_t begin_ = 0; // first unread byte in data_
    std::size_t end_ = 0;   // one past the last byte fetched
    std::array<char, kChunkSize> buffer_;
    const char* data_ = buffer_.data(); // buffer_, or the bytes given
};

} // namespace velmora
