#include "shell/ini_file.h"

#include "common/cp932.h"
#include "common/text.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

namespace velmora {
namespace {

constexpr std::size_t kMaxValueBytes = 1023;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view TrimBlanks(std::string_view s) {
    return TrimCharacters(s, " \t\r");
}

std::string_view StripQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Cuts raw bytes to the buffer's capacity without splitting a UTF-8 character;
// CP932 values are cut by bytes as the profile reader does.
std::string_view CutToCapacity(std::string_view value, bool utf8) {
    if (value.size() <= kMaxValueBytes) {
        return value;
    }
    std::size_t end = kMaxValueBytes;
    if (utf8) {
        while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0U) == 0x80U) {
            --end;
        }
    }
    return value.substr(0, end);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The raw bytes of the key's value in the section, or nothing.
std::optional<std::string_view> FindRawValue(std::string_view content, std::string_view section,
                                             std::string_view key) {
    bool inSection = false;
    std::size_t pos = 0;
    while (pos <= content.size()) {
        std::size_t end = content.find('\n', pos);
        if (end == std::string_view::npos) {
            end = content.size();
        }
        std::string_view line = TrimBlanks(content.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            std::string_view name =
                line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1);
            inSection = EqualsIgnoringAsciiCase(TrimBlanks(name), section);
            continue;
        }
        std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) {
            continue;
        }
        if (EqualsIgnoringAsciiCase(TrimBlanks(line.substr(0, equals)), key)) {
            return TrimBlanks(line.substr(equals + 1));
        }
    }
    return std::nullopt;
}

} // namespace

std::string CINIFile::GetValue(const std::string& sSectionName, const std::string& sKeyName,
                               const std::string& sDefaultValue) const {
    std::optional<std::string> content = ReadWholeFile(fileName_);
    std::optional<std::string_view> raw;
    bool utf8 = false;
    if (content) {
        std::string_view text(*content);
        utf8 = text.substr(0, kUtf8Bom.size()) == kUtf8Bom;
        if (utf8) {
            text.remove_prefix(kUtf8Bom.size());
        }
        raw = FindRawValue(text, sSectionName, sKeyName);
    }
    if (!raw) {
        return std::string(TrimLeadingSpaces(TrimBlanks(sDefaultValue)));
    }
    std::string_view value = CutToCapacity(StripQuotes(*raw), utf8);
    std::string decoded = utf8 ? std::string(value) : DecodeCp932(value);
    return std::string(TrimLeadingSpaces(decoded));
}

} // namespace velmora
