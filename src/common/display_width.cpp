#include "common/display_width.h"

#include "common/text.h"
#include "common/utf8.h"

#include <algorithm>
#include <array>

namespace velmora {
namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// East Asian Wide and Fullwidth blocks (ranges in code point order).
constexpr std::array kWideRanges = {
    Range{0x1100, 0x115F},   Range{0x231A, 0x231B},   Range{0x2329, 0x232A},   Range{0x23E9, 0x23EC},
    Range{0x23F0, 0x23F0},   Range{0x23F3, 0x23F3},   Range{0x25FD, 0x25FE},   Range{0x2614, 0x2615},
    Range{0x2648, 0x2653},   Range{0x267F, 0x267F},   Range{0x2693, 0x2693},   Range{0x26A1, 0x26A1},
    Range{0x26AA, 0x26AB},   Range{0x26BD, 0x26BE},   Range{0x26C4, 0x26C5},   Range{0x26CE, 0x26CE},
    Range{0x26D4, 0x26D4},   Range{0x26EA, 0x26EA},   Range{0x26F2, 0x26F3},   Range{0x26F5, 0x26F5},
    Range{0x26FA, 0x26FA},   Range{0x26FD, 0x26FD},   Range{0x2705, 0x2705},   Range{0x270A, 0x270B},
    Range{0x2728, 0x2728},   Range{0x274C, 0x274C},   Range{0x274E, 0x274E},   Range{0x2753, 0x2755},
    Range{0x2757, 0x2757},   Range{0x2795, 0x2797},   Range{0x27B0, 0x27B0},   Range{0x27BF, 0x27BF},
    Range{0x2B1B, 0x2B1C},   Range{0x2B50, 0x2B50},   Range{0x2B55, 0x2B55},   Range{0x2E80, 0x303E},
    Range{0x3041, 0x3247},   Range{0x3250, 0x4DBF},   Range{0x4E00, 0xA4CF},   Range{0xA960, 0xA97F},
    Range{0xAC00, 0xD7A3},   Range{0xF900, 0xFAFF},   Range{0xFE10, 0xFE19},   Range{0xFE30, 0xFE6F},
    Range{0xFF00, 0xFF60},   Range{0xFFE0, 0xFFE6},   Range{0x16FE0, 0x16FE4}, Range{0x17000, 0x18CFF},
    Range{0x1B000, 0x1B2FF}, Range{0x1F004, 0x1F004}, Range{0x1F0CF, 0x1F0CF}, Range{0x1F18E, 0x1F18E},
    Range{0x1F191, 0x1F19A}, Range{0x1F200, 0x1F251}, Range{0x1F300, 0x1F64F}, Range{0x1F680, 0x1F6FF},
    Range{0x1F900, 0x1F9FF}, Range{0x20000, 0x2FFFD}, Range{0x30000, 0x3FFFD},
};

// Combining marks, zero-width characters and variation selectors.
constexpr std::array kZeroRanges = {
    Range{0x0300, 0x036F}, Range{0x0483, 0x0489},   Range{0x0591, 0x05BD}, Range{0x1AB0, 0x1AFF},
    Range{0x1DC0, 0x1DFF}, Range{0x200B, 0x200F},   Range{0x2028, 0x202E}, Range{0x2060, 0x2064},
    Range{0x20D0, 0x20FF}, Range{0x3099, 0x309A},   Range{0xFE00, 0xFE0F}, Range{0xFE20, 0xFE2F},
    Range{0xFEFF, 0xFEFF}, Range{0xE0100, 0xE01EF},
};

template <std::size_t N> bool InRanges(const std::array<Range, N>& ranges, char32_t cp) {
    auto it = std::upper_bound(ranges.begin(), ranges.end(), cp,
                               [](char32_t value, const Range& range) { return value < range.first; });
    return it != ranges.begin() && cp <= std::prev(it)->last;
}

} // namespace

int CharWidth(char32_t cp) {
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {
        return 0;
    }
    if (cp < 0x300) {
        return 1;
    }
    if (InRanges(kZeroRanges, cp)) {
        return 0;
    }
    return InRanges(kWideRanges, cp) ? 2 : 1;
}

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        Utf8Step step = DecodeUtf8At(utf8, pos);
        width += step.valid ? static_cast<std::size_t>(CharWidth(step.codePoint)) : 1;
        pos += step.length;
    }
    return width;
}

std::string PadToColumns(std::string_view text, std::size_t width, Align align) {
    std::size_t used = DisplayWidth(text);
    std::string out;
    std::size_t padding = used < width ? width - used : 0;
    if (align == Align::Right) {
        out.append(padding, ' ');
    }
    out.append(text);
    if (align == Align::Left) {
        out.append(padding, ' ');
    }
    return out;
}

std::string FormatTable(const std::vector<std::vector<std::string>>& rows, const std::vector<Align>& align) {
    // Tables go to a terminal: cells are shown without their control characters.
    std::vector<std::vector<std::string>> shown;
    shown.reserve(rows.size());
    for (const auto& row : rows) {
        std::vector<std::string>& cells = shown.emplace_back();
        cells.reserve(row.size());
        for (const std::string& cell : row) {
            cells.push_back(VisibleText(cell));
        }
    }
    std::vector<std::size_t> widths;
    for (const auto& row : shown) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
        }
    }
    std::string out;
    for (const auto& row : shown) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0) {
                line += "  ";
            }
            line += PadToColumns(row[c], widths[c], c < align.size() ? align[c] : Align::Left);
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out += line;
        out += '\n';
    }
    return out;
}

} // namespace velmora
