#include "common/json.h"

#include "common/utf8.h"

namespace velmora {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

void AppendEscapedControl(std::string& out, unsigned char c) {
    switch (c) {
    case '\b':
        out += "\\b";
        return;
    case '\f':
        out += "\\f";
        return;
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        break;
    }
    constexpr std::string_view kHex = "0123456789abcdef";
    out += "\\u00";
    out += kHex[c >> 4];
    out += kHex[c & 0x0FU];
}

} // namespace

std::string JsonString(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (std::size_t pos = 0; pos < utf8.size();) {
        auto c = static_cast<unsigned char>(utf8[pos]);
        if (c < 0x80U) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c < 0x20U) {
                AppendEscapedControl(out, c);
            } else {
                out += static_cast<char>(c);
            }
            ++pos;
            continue;
        }
        Utf8Step step = DecodeUtf8At(utf8, pos);
        if (step.valid) {
            out.append(utf8.substr(pos, step.length));
        } else {
            out.append(kReplacement);
        }
        pos += step.length;
    }
    out += '"';
    return out;
}

} // namespace velmora
