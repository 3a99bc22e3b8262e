#include "history/compression.h"

#include <zlib.h>

#include <stdexcept>

namespace velmora {

std::string Compress(std::string_view bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string compressed(size, '\0');
    const int code = compress2(reinterpret_cast<Bytef*>(compressed.data()), &size,
                               reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                               Z_BEST_COMPRESSION);
    if (code != Z_OK) {
        throw std::runtime_error("zlib compress2 failed");
    }
    compressed.resize(size);
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
