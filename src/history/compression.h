#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// zlib's best compression: odds files are small and written rarely, so the
// time it costs is far below what the disk saves.
std::string Compress(std::string_view bytes);

// The `size` bytes that `compressed` holds; nothing when they don't come out
// whole and exactly that long, or `size` exceeds `limit`.
std::optional<std::string> Decompress(std::string_view compressed, std::size_t size, std::size_t limit);

} // namespace velmora
