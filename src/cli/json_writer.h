#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// The text as a JSON string literal, quotes included. Quotes, backslashes and
// control characters are escaped; other characters stay as they are. Bytes that
// are not well-formed UTF-8 become U+FFFD so the output is always valid JSON.
std::string JsonString(std::string_view utf8);

// Builds compact JSON text; commas and the nesting are tracked here so callers
// only say what comes next.
class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view value);
    JsonWriter& Int(std::int64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& StringArray(const std::vector<std::string>& values);

    const std::string& Text() const { return out_; }

private:
    void BeforeValue();

    std::string out_;
    std::vector<bool> firstInScope_;
    bool afterKey_ = false;
};

} // namespace velmora::cli
