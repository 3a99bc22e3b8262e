#include "json_reader.h"

#include "common/utf8.h"

#include <charconv>
#include <stdexcept>

namespace velmora::test {
namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<JsonValue> ParseDocument() {
        JsonValue value;
        SkipSpace();
        if (!ParseValue(value, 0)) {
            return std::nullopt;
        }
        SkipSpace();
        if (pos_ != text_.size()) {
            return std::nullopt;
        }
        return value;
    }

private:
    bool ParseValue(JsonValue& value, int depth) {
        if (depth > 64 || pos_ >= text_.size()) {
            return false;
        }
        char c = text_[pos_];
        if (c == '{') {
            return ParseObject(value, depth);
        }
        if (c == '[') {
            return ParseArray(value, depth);
        }
        if (c == '"') {
            value.kind = JsonValue::Kind::String;
            return ParseString(value.text);
        }
        if (Literal("true")) {
            value.kind = JsonValue::Kind::Bool;
            value.boolean = true;
            return true;
        }
        if (Literal("false")) {
            value.kind = JsonValue::Kind::Bool;
            return true;
        }
        if (Literal("null")) {
            value.kind = JsonValue::Kind::Null;
            return true;
        }
        return ParseNumber(value);
    }

    bool ParseObject(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Object;
        ++pos_;
        SkipSpace();
        if (Peek('}')) {
            ++pos_;
            return true;
        }
        while (true) {
            SkipSpace();
            std::string key;
            if (!Peek('"') || !ParseString(key)) {
                return false;
            }
            SkipSpace();
            if (!Peek(':')) {
                return false;
            }
            ++pos_;
            SkipSpace();
            JsonValue member;
            if (!ParseValue(member, depth + 1)) {
                return false;
            }
            value.members.emplace_back(std::move(key), std::move(member));
            SkipSpace();
            if (Peek(',')) {
                ++pos_;
                continue;
            }
            if (Peek('}')) {
                ++pos_;
                return true;
            }
            return false;
        }
    }

    bool ParseArray(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Array;
        ++pos_;
        SkipSpace();
        if (Peek(']')) {
            ++pos_;
            return true;
        }
        while (true) {
            SkipSpace();
            JsonValue item;
            if (!ParseValue(item, depth + 1)) {
                return false;
            }
            value.items.push_back(std::move(item));
            SkipSpace();
            if (Peek(',')) {
                ++pos_;
                continue;
            }
            if (Peek(']')) {
                ++pos_;
                return true;
            }
            return false;
        }
    }

    bool ParseHex4(unsigned& out) {
        if (text_.size() - pos_ < 4) {
            return false;
        }
        auto result = std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, out, 16);
        if (result.ptr != text_.data() + pos_ + 4) {
            return false;
        }
        pos_ += 4;
        return true;
    }

    bool ParseString(std::string& out) {
        ++pos_; // opening quote
        while (pos_ < text_.size()) {
            auto c = static_cast<unsigned char>(text_[pos_]);
            if (c == '"') {
                ++pos_;
                return IsValidUtf8(out);
            }
            if (c < 0x20) {
                return false;
            }
            if (c != '\\') {
                out += static_cast<char>(c);
                ++pos_;
                continue;
            }
            if (++pos_ >= text_.size()) {
                return false;
            }
            char e = text_[pos_++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned unit = 0;
                if (!ParseHex4(unit)) {
                    return false;
                }
                char32_t cp = unit;
                if (unit >= 0xD800 && unit <= 0xDBFF) {
                    unsigned low = 0;
                    if (!Literal("\\u") || !ParseHex4(low) || low < 0xDC00 || low > 0xDFFF) {
                        return false;
                    }
                    cp = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                    return false;
                }
                AppendCodePoint(out, cp);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    static void AppendCodePoint(std::string& out, char32_t cp) {
        auto put = [&out](char32_t v) { out += static_cast<char>(v); };
        if (cp < 0x80) {
            put(cp);
        } else if (cp < 0x800) {
            put(0xC0 | (cp >> 6));
            put(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            put(0xE0 | (cp >> 12));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        } else {
            put(0xF0 | (cp >> 18));
            put(0x80 | ((cp >> 12) & 0x3F));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        }
    }

    bool ParseNumber(JsonValue& value) {
        std::size_t start = pos_;
        if (Peek('-')) {
            ++pos_;
        }
        if (Peek('0')) {
            ++pos_;
        } else if (!Digits()) {
            return false;
        }
        if (Peek('.')) {
            ++pos_;
            if (!Digits()) {
                return false;
            }
        }
        if (Peek('e') || Peek('E')) {
            ++pos_;
            if (Peek('+') || Peek('-')) {
                ++pos_;
            }
            if (!Digits()) {
                return false;
            }
        }
        value.kind = JsonValue::Kind::Number;
        value.number = std::stod(std::string(text_.substr(start, pos_ - start)));
        return true;
    }

    bool Digits() {
        std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            ++pos_;
        }
        return pos_ > start;
    }

    bool Literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) == word) {
            pos_ += word.size();
            return true;
        }
        return false;
    }

    bool Peek(char c) const { return pos_ < text_.size() && text_[pos_] == c; }

    void SkipSpace() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r')) {
            ++pos_;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

bool JsonValue::Has(std::string_view key) const {
    for (const auto& [name, value] : members) {
        if (name == key) {
            return true;
        }
    }
    return false;
}

const JsonValue& JsonValue::operator[](std::string_view key) const {
    for (const auto& [name, value] : members) {
        if (name == key) {
            return value;
        }
    }
    throw std::out_of_range("no member " + std::string(key));
}

std::vector<std::string> JsonValue::Keys() const {
    std::vector<std::string> keys;
    for (const auto& member : members) {
        keys.push_back(member.first);
    }
    return keys;
}

std::vector<std::string> JsonValue::Texts() const {
    std::vector<std::string> texts;
    for (const auto& item : items) {
        if (item.kind != Kind::String) {
            throw std::invalid_argument("not an array of strings");
        }
        texts.push_back(item.text);
    }
    return texts;
}

std::optional<JsonValue> ParseJson(std::string_view text) {
    return Parser(text).ParseDocument();
}

} // namespace velmora::test
