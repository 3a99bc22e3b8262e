#pragma once

#include "common/json.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

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
