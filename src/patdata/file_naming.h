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
// win/place odds file at `path`: the first "zo-" of the file name, in any
// case, is replaced; folder names are left alone. Empty when the file name
// holds no "zo-". No disk access.
std::string GetEntryFileName(const std::string& path);
std::string GetQuinellaFileName(const std::string& path);

// Byte position in `path` of the first "zo-" of its file name (after the last
// "/"), ignoring ASCII case, or npos. "zo-" is ASCII, so a match never starts
// or ends inside a UTF-8 character.
std::size_t FindOddsPrefix(std::string_view path);

} // namespace velmora
