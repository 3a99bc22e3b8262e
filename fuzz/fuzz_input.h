#pragma once

// Shared by the fuzz targets: the readers take a path, so each input is written
// to one temporary file that the target then reads.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::fuzz {

// Replaces the contents of this process's input file with the given bytes and
// returns its path. The file is removed when the process ends normally.
const std::string& WriteInputFile(const std::uint8_t* data, std::size_t size);

// Stops the run when a field holds neither nothing (not read) nor exactly
// `width` characters: every field read from a PAT file is padded to its width.
void CheckFieldWidth(std::string_view field, std::size_t width, const char* what);

// Stops the run with the message when the condition does not hold.
void Check(bool condition, const char* what);

} // namespace velmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
