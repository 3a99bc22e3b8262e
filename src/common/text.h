#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// Core texts are UTF-8; where a width is counted in characters, it is code points.
std::size_t CodePointCount(std::string_view utf8);

// Bytes taken by the character at `pos`: a whole UTF-8 sequence when one starts
// there, else the single byte, so that names in other encodings still count
// one character per byte (the way the wildcard searches count characters).
std::size_t CharacterLength(std::string_view text, std::size_t pos);

// True when every byte is below 0x80 (plain ASCII, the same in UTF-8 and CP932).
bool IsAscii(std::string_view bytes);

// Appends spaces until the text is `width` code points long (never cuts).
std::string PadToWidth(std::string text, std::size_t width);

// Removes the given characters from both ends.
std::string_view TrimCharacters(std::string_view text, std::string_view characters);
// Removes leading and trailing spaces (only U+0020, as the sheet's trimming does).
std::string_view TrimSpaces(std::string_view text);
std::string_view TrimLeadingSpaces(std::string_view text);
// The same as a string of its own, as a fixed-width field is kept once read.
std::string Trimmed(std::string_view text);

// ASCII-only case-insensitive comparison; the PAT files and INI keys come from Windows.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
std::string ToLowerAscii(std::string_view text);

// The text as it may safely reach a terminal: every control character (C0,
// DEL and C1, also a stray byte in the C1 range) becomes "?", so that a name
// from a file can neither move the cursor, retitle the window nor break a line.
std::string VisibleText(std::string_view text);
// The same for a message of several lines: each line made visible, the line
// breaks kept.
std::string VisibleLines(std::string_view text);

// An odds text as the sheet keeps it: full-width digits, the full-width full
// stop and the ideographic space, which a Japanese input method types, become
// their ASCII forms; every other character, the scratch marker included, stays.
std::string NarrowOddsText(std::string_view text);

// Encodes one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

} // namespace velmora
