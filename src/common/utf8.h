#pragma once

#include <cstddef>
#include <string_view>

namespace velmora {

// One step through a UTF-8 text. An ill-formed sequence (stray continuation
// byte, overlong form, surrogate, beyond U+10FFFF, cut short) is reported as
// invalid and covers one byte, so the caller can replace it and go on.
struct Utf8Step {
    char32_t codePoint = 0;
    std::size_t length = 1;
    bool valid = false;
};

Utf8Step DecodeUtf8At(std::string_view text, std::size_t pos);

bool IsValidUtf8(std::string_view text);

} // namespace velmora
