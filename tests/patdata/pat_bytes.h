#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::test {

// Builds PAT file contents field by field: each text is encoded as CP932 and
// padded with spaces to the field's width in bytes.
class PatBytes {
public:
    PatBytes& Add(std::string_view utf8, int width);
    PatBytes& AddRaw(std::string_view bytes);
    std::size_t size() const { return bytes_.size(); }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// CP932 form of a text; records a test failure when it has none.
std::string Cp932(std::string_view utf8);

// What a reader holds for a field built from `utf8`: the text padded with
// spaces to `width` characters.
std::string Expected(std::string_view utf8, int width);

} // namespace velmora::test
