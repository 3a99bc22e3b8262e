#include "common/json.h"

#include "common/utf8.h"

#include <charconv>

namespace velmora {

std::string JsonKey(std::string_view text) {
    if (IsValidUtf8(text)) {
        return std::string(text);
    }
    constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t pos = 0; pos < text.size();) {
        Utf8Step step = DecodeUtf8At(text, pos);
        out.append(step.valid ? text.substr(pos, step.length) : kReplacement);
        pos += step.length;
    }
    return out;
}

Json JsonText(std::string_view text) {
    return JsonKey(text);
}

namespace {

void AppendNumber(std::string& out, double value) {
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(error == std::errc() ? std::string_view(buffer, static_cast<std::size_t>(end - buffer))
                                    : std::string_view("null"));
}

void AppendString(std::string& out, const std::string& text) {
    out += Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace

void AppendJson(std::string& out, const Json& value) {
    switch (value.type()) {
    case Json::value_t::object: {
        out += '{';
        for (auto member = value.begin(); member != value.end(); ++member) {
            if (member != value.begin()) {
                out += ',';
            }
            AppendString(out, member.key());
            out += ':';
            AppendJson(out, member.value());
        }
        out += '}';
        return;
    }
    case Json::value_t::array: {
        out += '[';
        for (auto item = value.begin(); item != value.end(); ++item) {
            if (item != value.begin()) {
                out += ',';
            }
            AppendJson(out, *item);
        }
        out += ']';
        return;
    }
    case Json::value_t::number_float:
        AppendNumber(out, value.get<double>());
        return;
    default:
        out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
        return;
    }
}

std::string DumpJson(const Json& value) {
    std::string out;
    AppendJson(out, value);
    return out;
}

} // namespace velmora
