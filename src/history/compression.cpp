#include "history/compression.h"

#include <zlib.h>

#include <stdexcept>

namespace velmora {

namespace {

// An 8 KiB window covers a whole odds file, and a small one costs far less
// to set up than zlib's default 32 KiB, which dominates on files this size.
constexpr int kWindowBits = 13;
constexpr int kMemoryLevel = 6;

// Ends the stream on every path.
struct DeflateStream {
    z_stream stream{};
    DeflateStream() {
        if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, kWindowBits, kMemoryLevel,
                         Z_DEFAULT_STRATEGY) != Z_OK) {
            throw std::runtime_error("zlib deflateInit2 failed");
        }
    }
    ~DeflateStream() { deflateEnd(&stream); }
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;
};

} // namespace

std::string Compress(std::string_view bytes) {
    DeflateStream deflater;
    z_stream& stream = deflater.stream;
    std::string compressed(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(compressed.data());
    stream.avail_out = static_cast<uInt>(compressed.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) {
        throw std::runtime_error("zlib deflate failed");
    }
    compressed.resize(stream.total_out);
    return compressed;
}

std::optional<std::string> Decompress(std::string_view compressed, std::size_t size, std::size_t limit) {
    if (size > limit) {
        return std::nullopt;
    }
    std::string bytes(size, '\0');
    uLongf produced = static_cast<uLongf>(size);
    // A zero-size buffer still needs a valid pointer for zlib.
    Bytef spare = 0;
    Bytef* target = size > 0 ? reinterpret_cast<Bytef*>(bytes.data()) : &spare;
    const int code = uncompress(target, &produced, reinterpret_cast<const Bytef*>(compressed.data()),
                                static_cast<uLong>(compressed.size()));
    if (code != Z_OK || produced != size) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace velmora
