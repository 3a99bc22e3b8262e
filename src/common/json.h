#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace velmora {

// A JSON value whose object members keep the order they were added in.
using Json = nlohmann::ordered_json;

// The text as a JSON string. Bytes that are not well-formed UTF-8 become
// U+FFFD, one for each such byte, so the output is always valid JSON.
Json JsonText(std::string_view text);

// The text with every byte that is not well-formed UTF-8 replaced by U+FFFD;
// for object keys, which are plain strings.
std::string JsonKey(std::string_view text);

// Appends the value as compact JSON: no blanks, characters beyond ASCII as
// they are, control characters escaped. Numbers with a fraction take their
// shortest round-trip form ("0.5", "1e-05"), the way the figures have always
// been written, where the library would write "0.0001" or "1.0".
void AppendJson(std::string& out, const Json& value);
std::string DumpJson(const Json& value);

} // namespace velmora
