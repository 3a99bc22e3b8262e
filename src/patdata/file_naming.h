#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Filter of the open dialog: a description, "|", then the same pattern.
std::string GetOddsFileFilter();

// True when the bare file name matches "Zo-*.jra", ASCII letters without regard
// to case (the files come from Windows).
bool MatchesOddsFileMask(std::string_view fileName);

// Path of the entry ("De-") or quinella odds ("Uo-") file that belongs to the
// win/place odds file at `path`: the first "zo-" of the whole path, in any
// case, is replaced. Empty when the path holds no "zo-". No disk access.
std::string GetEntryFileName(const std::string& path);
std::string GetQuinellaFileName(const std::string& path);

// Byte position of the first "zo-" in `path`, ignoring ASCII case, or npos.
// "zo-" is ASCII, so a match never starts or ends inside a UTF-8 character.
std::size_t FindOddsPrefix(std::string_view path);

} // namespace velmora
