#include "common/cp932.h"

#include "common/text.h"

#include <cerrno>
#include <iconv.h>

namespace velmora {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Owns one iconv descriptor for the length of a conversion.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) {
            iconv_close(handle_);
        }
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

enum class Step { Done, Invalid, Incomplete };

// Converts as much as it can, appending to `out`; stops at the first bad input.
Step Convert(iconv_t cd, const char*& in, std::size_t& inLeft, std::string& out) {
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t rc = iconv(cd, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (rc == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) {
                continue;
            }
            return errno == EINVAL ? Step::Incomplete : Step::Invalid;
        }
    }
    return Step::Done;
}

} // namespace

std::string DecodeCp932(std::string_view bytes) {
    std::string out;
    IconvHandle cd("UTF-8", "CP932");
    if (!cd.valid()) {
        // Without a converter keep ASCII and mark everything else.
        for (char c : bytes) {
            AppendUtf8(out, static_cast<unsigned char>(c) < 0x80 ? static_cast<char32_t>(c) : kReplacement);
        }
        return out;
    }
    const char* in = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        Step step = Convert(cd.get(), in, left, out);
        if (step == Step::Done) {
            break;
        }
        AppendUtf8(out, kReplacement);
        if (step == Step::Incomplete) {
            break; // a lead byte cut off at the end
        }
        ++in; // skip the offending byte and go on after it
        --left;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

std::string DecodeCp932Field(std::string_view bytes) {
    return PadToWidth(DecodeCp932(bytes), bytes.size());
}

bool EncodeCp932(std::string_view utf8, std::string& out) {
    IconvHandle cd("CP932", "UTF-8");
    if (!cd.valid()) {
        return false;
    }
    const char* in = utf8.data();
    std::size_t left = utf8.size();
    return Convert(cd.get(), in, left, out) == Step::Done;
}

} // namespace velmora
