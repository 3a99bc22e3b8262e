#include "cli/json_writer.h"

#include <stdexcept>

namespace velmora::cli {

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!firstInScope_.empty()) {
        if (!firstInScope_.back()) {
            out_ += ',';
        }
        firstInScope_.back() = false;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    out_ += '{';
    firstInScope_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    if (firstInScope_.empty() || afterKey_) {
        throw std::logic_error("unbalanced JSON object");
    }
    firstInScope_.pop_back();
    out_ += '}';
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    out_ += '[';
    firstInScope_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    if (firstInScope_.empty() || afterKey_) {
        throw std::logic_error("unbalanced JSON array");
    }
    firstInScope_.pop_back();
    out_ += ']';
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    out_ += JsonString(key);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
    BeforeValue();
    out_ += JsonString(value);
    return *this;
}

JsonWriter& JsonWriter::Int(std::int64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::StringArray(const std::vector<std::string>& values) {
    BeginArray();
    for (const std::string& value : values) {
        String(value);
    }
    return EndArray();
}

} // namespace velmora::cli
