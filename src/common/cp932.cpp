#include "common/cp932.h"

#include "common/text.h"

#include <cerrno>
#include <iconv.h>

namespace velmora {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Owns one iconv descriptor for as long as the thread that opened it runs.
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

    // Forgets any shift state a previous conversion left behind.
    void Reset() const { iconv(handle_, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t handle_;
};

// Opening a converter costs far more than converting a field, and a folder
// listing decodes thousands of fields. An iconv descriptor carries state and
// may not be used by two threads at once, so each thread keeps its own.
const IconvHandle& Decoder() {
    thread_local const IconvHandle decoder("UTF-8", "CP932");
    return decoder;
}

const IconvHandle& Encoder() {
    thread_local const IconvHandle encoder("CP932", "UTF-8");
    return encoder;
}

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
    // CP932 keeps the ASCII bytes as they are, and most PAT fields are digits
    // and spaces.
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    const IconvHandle& cd = Decoder();
    if (!cd.valid()) {
        // Without a converter keep ASCII and mark everything else.
        for (char c : bytes) {
            AppendUtf8(out, static_cast<unsigned char>(c) < 0x80 ? static_cast<char32_t>(c) : kReplacement);
        }
        return out;
    }
    cd.Reset();
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
        cd.Reset();
    }
    return out;
}

std::string DecodeCp932Field(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes); // one character a byte: nothing to pad
    }
    return PadToWidth(DecodeCp932(bytes), bytes.size());
}

bool EncodeCp932(std::string_view utf8, std::string& out) {
    const IconvHandle& cd = Encoder();
    if (!cd.valid()) {
        return false;
    }
    cd.Reset();
    const char* in = utf8.data();
    std::size_t left = utf8.size();
    return Convert(cd.get(), in, left, out) == Step::Done;
}

} // namespace velmora
