#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::test {

// A parsed JSON value, for checking what velmora-cli prints.
struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    bool Has(std::string_view key) const;
    // Throws std::out_of_range when missing.
    const JsonValue& operator[](std::string_view key) const;
    const JsonValue& operator[](std::size_t index) const { return items.at(index); }
    std::vector<std::string> Keys() const;
    std::vector<std::string> Texts() const; // an array of strings
};

// Strict parse of one JSON text (whitespace around it allowed); nothing when
// the text is not valid JSON.
std::optional<JsonValue> ParseJson(std::string_view text);

} // namespace velmora::test
