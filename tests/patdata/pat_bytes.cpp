#include "patdata/pat_bytes.h"

#include "common/cp932.h"
#include "common/text.h"

#include <gtest/gtest.h>

namespace velmora::test {

std::string Cp932(std::string_view utf8) {
    std::string out;
    if (!EncodeCp932(utf8, out)) {
        ADD_FAILURE() << "no CP932 form: " << utf8;
    }
    return out;
}

PatBytes& PatBytes::Add(std::string_view utf8, int width) {
    std::string field = Cp932(utf8);
    auto size = static_cast<std::size_t>(width);
    if (field.size() > size) {
        ADD_FAILURE() << "field text longer than " << width << " bytes: " << utf8;
        field.resize(size);
    }
    field.resize(size, ' ');
    bytes_ += field;
    return *this;
}

PatBytes& PatBytes::AddRaw(std::string_view bytes) {
    bytes_ += bytes;
    return *this;
}

std::string Expected(std::string_view utf8, int width) {
    return PadToWidth(std::string(utf8), static_cast<std::size_t>(width));
}

} // namespace velmora::test
