#include "common/text.h"

#include <algorithm>

namespace velmora {

std::size_t CodePointCount(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U; }));
}

std::size_t CharacterLength(std::string_view text, std::size_t pos) {
    auto byte = static_cast<unsigned char>(text[pos]);
    std::size_t length = 1;
    if ((byte & 0xE0U) == 0xC0U) {
        length = 2;
    } else if ((byte & 0xF0U) == 0xE0U) {
        length = 3;
    } else if ((byte & 0xF8U) == 0xF0U) {
        length = 4;
    }
    if (length == 1 || pos + length > text.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[pos + i]) & 0xC0U) != 0x80U) {
            return 1;
        }
    }
    return length;
}

std::string VisibleText(std::string_view text) {
    constexpr char kSubstitute = '?';
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = CharacterLength(text, pos);
        auto lead = static_cast<unsigned char>(text[pos]);
        auto next = length == 2 ? static_cast<unsigned char>(text[pos + 1]) : 0U;
        bool c0OrDel = length == 1 && (lead < 0x20U || lead == 0x7FU);
        bool strayC1 = length == 1 && lead >= 0x80U && lead <= 0x9FU;
        bool c1 = lead == 0xC2U && next >= 0x80U && next <= 0x9FU; // U+0080 ... U+009F
        if (c0OrDel || strayC1 || c1) {
            out += kSubstitute;
        } else {
            out.append(text, pos, length);
        }
        pos += length;
    }
    return out;
}

std::string VisibleLines(std::string_view text) {
    std::string out;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\n', start);
        out += VisibleText(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return out;
        }
        out += '\n';
        start = end + 1;
    }
}

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string PadToWidth(std::string text, std::size_t width) {
    std::size_t count = CodePointCount(text);
    if (count < width) {
        text.append(width - count, ' ');
    }
    return text;
}

std::string_view TrimLeadingSpaces(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view TrimCharacters(std::string_view text, std::string_view characters) {
    std::size_t first = text.find_first_not_of(characters);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

std::string_view TrimSpaces(std::string_view text) {
    return TrimCharacters(text, " ");
}

std::string Trimmed(std::string_view text) {
    return std::string(TrimSpaces(text));
}

namespace {
char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), LowerAscii);
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    auto put = [&out](unsigned value) { out.push_back(static_cast<char>(value)); };
    if (cp < 0x80) {
        put(static_cast<unsigned>(cp));
    } else if (cp < 0x800) {
        put(0xC0U | static_cast<unsigned>(cp >> 6));
        put(0x80U | (static_cast<unsigned>(cp) & 0x3FU));
    } else if (cp < 0x10000) {
        put(0xE0U | static_cast<unsigned>(cp >> 12));
        put(0x80U | (static_cast<unsigned>(cp >> 6) & 0x3FU));
        put(0x80U | (static_cast<unsigned>(cp) & 0x3FU));
    } else {
        put(0xF0U | static_cast<unsigned>(cp >> 18));
        put(0x80U | (static_cast<unsigned>(cp >> 12) & 0x3FU));
        put(0x80U | (static_cast<unsigned>(cp >> 6) & 0x3FU));
        put(0x80U | (static_cast<unsigned>(cp) & 0x3FU));
    }
}

std::string NarrowOddsText(std::string_view text) {
    // U+FF10..U+FF19 and U+FF0E are EF BC 90..99 and EF BC 8E; U+3000 is E3 80 80.
    // Each becomes one byte, so a field keeps one character per character typed.
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string_view rest = text.substr(i);
        if (rest.size() >= 3 && rest[0] == '\xEF' && rest[1] == '\xBC') {
            auto last = static_cast<unsigned char>(rest[2]);
            if (last >= 0x90 && last <= 0x99) {
                out.push_back(static_cast<char>('0' + (last - 0x90)));
                i += 2;
                continue;
            }
            if (last == 0x8E) {
                out.push_back('.');
                i += 2;
                continue;
            }
        }
        if (rest.substr(0, 3) == "\xE3\x80\x80") {
            out.push_back(' ');
            i += 2;
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

} // namespace velmora
