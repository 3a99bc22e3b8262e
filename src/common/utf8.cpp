#include "common/utf8.h"

namespace velmora {
namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0U) == 0x80U;
}

} // namespace

Utf8Step DecodeUtf8At(std::string_view text, std::size_t pos) {
    auto byteAt = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byteAt(pos);
    if (lead < 0x80U) {
        return {lead, 1, true};
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0U) == 0xC0U) {
        length = 2;
        value = lead & 0x1FU;
        minimum = 0x80;
    } else if ((lead & 0xF0U) == 0xE0U) {
        length = 3;
        value = lead & 0x0FU;
        minimum = 0x800;
    } else if ((lead & 0xF8U) == 0xF0U) {
        length = 4;
        value = lead & 0x07U;
        minimum = 0x10000;
    } else {
        return {};
    }
    if (text.size() - pos < length) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        unsigned char byte = byteAt(pos + i);
        if (!IsContinuation(byte)) {
            return {};
        }
        value = (value << 6) | (byte & 0x3FU);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return {};
    }
    return {value, length, true};
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        Utf8Step step = DecodeUtf8At(text, pos);
        if (!step.valid) {
            return false;
        }
        pos += step.length;
    }
    return true;
}

} // namespace velmora
