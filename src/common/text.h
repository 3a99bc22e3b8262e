#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// Core texts are UTF-8; where a width is counted in characters, it is code points.
std::size_t CodePointCount(std::string_view utf8);

// Appends spaces until the text is `width` code points long (never cuts).
std::string PadToWidth(std::string text, std::size_t width);

// Removes leading and trailing spaces (only U+0020, as the sheet's trimming does).
std::string_view TrimSpaces(std::string_view text);
std::string_view TrimLeadingSpaces(std::string_view text);

// ASCII-only case-insensitive comparison; the PAT files and INI keys come from Windows.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
std::string ToLowerAscii(std::string_view text);

// Encodes one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

} // namespace velmora
