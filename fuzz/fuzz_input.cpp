#include "fuzz_input.h"

#include "common/text.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace velmora::fuzz {
namespace {

// One temporary file per process, in memory where the system offers it.
class InputFile {
public:
    InputFile() {
        std::filesystem::path folder = std::filesystem::exists("/dev/shm")
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
        std::string pattern = (folder / "velmora-fuzz-XXXXXX").string();
        int fd = mkstemp(pattern.data());
        if (fd < 0) {
            std::perror("velmora fuzz: cannot create the input file");
            std::abort();
        }
        close(fd);
        path_ = pattern;
    }
    ~InputFile() { std::remove(path_.c_str()); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& Write(const std::uint8_t* data, std::size_t size) const {
        std::ofstream stream(path_, std::ios::binary | std::ios::trunc);
        stream.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!stream) {
            std::perror("velmora fuzz: cannot write the input file");
            std::abort();
        }
        return path_;
    }

private:
    std::string path_;
};

} // namespace

const std::string& WriteInputFile(const std::uint8_t* data, std::size_t size) {
    static const InputFile file;
    return file.Write(data, size);
}

void CheckFieldWidth(std::string_view field, std::size_t width, const char* what) {
    if (!field.empty() && CodePointCount(field) != width) {
        std::fprintf(stderr, "velmora fuzz: %s holds %zu characters, not %zu\n", what, CodePointCount(field),
                     width);
        std::abort();
    }
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "velmora fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace velmora::fuzz
