#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The text as a JSON string literal, quotes included. Quotes, backslashes and
// control characters are escaped; other characters stay as they are. Bytes that
// are not well-formed UTF-8 become U+FFFD so the output is always valid JSON.
std::string JsonString(std::string_view utf8);

} // namespace velmora
