#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Columns a character takes in a terminal: 2 for East Asian wide and full-width
// characters (kanji, kana, full-width forms), 1 for the rest, half-width
// katakana included, and 0 for combining marks, zero-width and control
// characters. Ambiguous-width characters count as narrow, as most terminals
// draw them.
int CharWidth(char32_t codePoint);

// Columns of a UTF-8 text; an ill-formed byte counts as one column (it is shown
// as a replacement character).
std::size_t DisplayWidth(std::string_view utf8);

enum class Align { Left, Right };

// Pads with spaces to `width` columns; a wider text is returned unchanged.
std::string PadToColumns(std::string_view text, std::size_t width, Align align);

// Lays out rows of cells in columns two spaces apart, each column as wide as
// its widest cell; trailing blanks of a line are dropped. Rows may be shorter
// than the others; `align` gives each column's alignment (left when missing).
std::string FormatTable(const std::vector<std::vector<std::string>>& rows, const std::vector<Align>& align);

} // namespace velmora
