#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// Decodes Shift-JIS (code page 932) bytes to UTF-8. A byte that is not valid
// CP932, an unassigned double-byte code (lead and trail byte together), or a
// lead byte with no trail byte left, becomes one U+FFFD.
std::string DecodeCp932(std::string_view bytes);

// A fixed-width PAT field: the bytes decoded on their own and padded with spaces
// to as many characters as the field has bytes.
std::string DecodeCp932Field(std::string_view bytes);

// Encodes UTF-8 text as CP932; false when a character has no CP932 form.
bool EncodeCp932(std::string_view utf8, std::string& out);

} // namespace velmora
