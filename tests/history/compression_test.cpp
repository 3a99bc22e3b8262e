#include "history/compression.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// What the history reads back must be the file exactly, or nothing.
TEST(Compression, GivesBackTheBytesExactlyOrNothing) {
    std::string bytes;
    for (int i = 0; i < 4000; ++i) {
        bytes.push_back(static_cast<char>(i * 7919 % 251));
    }
    const auto compressed = Compress(bytes);
    EXPECT_EQ(Decompress(compressed, bytes.size(), 1 << 20), bytes);

    EXPECT_FALSE(Decompress(compressed.substr(0, compressed.size() / 2), bytes.size(), 1 << 20));
    EXPECT_FALSE(Decompress(compressed, bytes.size() - 1, 1 << 20));
    EXPECT_FALSE(Decompress(compressed, bytes.size() + 1, 1 << 20));
    EXPECT_FALSE(Decompress(compressed, bytes.size(), bytes.size() - 1));
    EXPECT_FALSE(Decompress("not zlib", 10, 1 << 20));
}

} // namespace
} // namespace velmora
