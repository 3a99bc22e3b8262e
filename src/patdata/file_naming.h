#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Filter of the open dialog: a description, "|", then the same pattern.
std::string GetOddsFileFilter();

// True when the bare file name matches "Zo-*.jra", ASCII letters without regard
// to case (the files come from Windows).
bool MatchesOddsFileMask(std::string_view fileName);

// The two odds files of a race; the values are stored in the history.
enum class OddsFileKind { WinPlace = 0, Quinella = 1 };

// Which odds file a bare file name is: "Zo-*.jra", or "Uo-" with the rest
// of such a name, letters in any case (the files come from Windows).
std::optional<OddsFileKind> OddsFileKindOf(std::string_view fileName);

// The name of a race's odds file of that kind, from either odds file's bare
// name: its first three characters become "Zo-" or "Uo-", so that a name
// comes out in one spelling whatever case PAT wrote it in.
std::string OddsFileNameOfKind(std::string_view oddsFileName, OddsFileKind kind);

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
