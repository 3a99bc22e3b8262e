#include "common/cp932.h"

#include "common/text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <memory>

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

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Bytes of the character that could not be converted at `in`: a lead byte and
// its trail byte are one unassigned character, so the trail byte is never
// read again as a character of its own.
std::size_t InvalidCharacterLength(const char* in, std::size_t left) {
    return left >= 2 && IsLeadByte(static_cast<unsigned char>(in[0])) &&
                   IsTrailByte(static_cast<unsigned char>(in[1]))
               ? 2
               : 1;
}

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

// The UTF-8 form of one CP932 character, as iconv gives it.
struct Utf8Character {
    std::array<char, 4> bytes{};
    std::uint8_t length = 0; // 0: no character of its own
};

// CP932 characters looked up instead of converted: a PAT folder holds the
// same few hundred characters over and over, and an iconv call per field
// costs far more than the look-ups. Every entry is what iconv makes of
// exactly those bytes, so a text decodes here as it would there; a text with
// anything the table doesn't know (a bad byte, a lead byte at the end) goes
// to iconv instead. The rows of the double-byte characters are filled the
// first time their lead byte is met.
class DecodeTable {
public:
    explicit DecodeTable(iconv_t cd) : cd_(cd) {
        for (std::size_t b = 0; b < single_.size(); ++b) {
            const char byte = static_cast<char>(b);
            single_[b] = Lookup(std::string_view(&byte, 1), isLead_[b]);
            asciiKept_ = asciiKept_ && (b >= 0x80 || (single_[b].length == 1 && single_[b].bytes[0] == byte));
        }
    }

    // Appends the decoded `bytes` to `out` and counts their characters; false
    // (with `out` in any state) when the table can't decode them all.
    bool Decode(std::string_view bytes, std::string& out, std::size_t& characters) {
        characters = 0;
        // A character of one or two bytes takes at most four in UTF-8: written
        // in place, then cut to length.
        std::size_t used = out.size();
        out.resize(used + 4 * bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++characters) {
            auto lead = static_cast<unsigned char>(bytes[i]);
            if (lead < 0x80 && asciiKept_) {
                out[used++] = bytes[i++]; // the spaces that pad a name, mostly
                continue;
            }
            const Utf8Character* character = &single_[lead];
            std::size_t taken = 1;
            if (character->length == 0) {
                if (!isLead_[lead] || i + 1 == bytes.size()) {
                    return false;
                }
                character = &Row(lead)[static_cast<unsigned char>(bytes[i + 1])];
                taken = 2;
            }
            if (character->length == 0) {
                return false;
            }
            // All four bytes go, whatever the length: a fixed copy is one move,
            // and the room reserved above covers it.
            std::memcpy(out.data() + used, character->bytes.data(), character->bytes.size());
            used += character->length;
            i += taken;
        }
        out.resize(used);
        return true;
    }

private:
    using Row_ = std::array<Utf8Character, 256>;

    // What iconv makes of `bytes` when it takes them all as one character;
    // `incomplete` tells a byte that starts a longer character.
    Utf8Character Lookup(std::string_view bytes, bool& incomplete) const {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::array<char, 16> buffer{};
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        std::size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
        incomplete = rc == static_cast<std::size_t>(-1) && errno == EINVAL;
        auto length = static_cast<std::size_t>(outPtr - buffer.data());
        Utf8Character character;
        if (rc == static_cast<std::size_t>(-1) || inLeft != 0 || length == 0 || length > 4 ||
            CharacterLength(std::string_view(buffer.data(), length), 0) != length) {
            return character; // not exactly one character
        }
        std::copy_n(buffer.data(), length, character.bytes.data());
        character.length = static_cast<std::uint8_t>(length);
        return character;
    }

    const Row_& Row(unsigned char lead) {
        std::unique_ptr<Row_>& row = rows_[lead];
        if (!row) {
            row = std::make_unique<Row_>();
            for (std::size_t trail = 0; trail < row->size(); ++trail) {
                const std::array<char, 2> pair{static_cast<char>(lead), static_cast<char>(trail)};
                bool incomplete = false;
                (*row)[trail] = Lookup(std::string_view(pair.data(), pair.size()), incomplete);
            }
        }
        return *row;
    }

    iconv_t cd_;
    bool asciiKept_ = true; // every ASCII byte decodes to itself
    std::array<Utf8Character, 256> single_{};
    std::array<bool, 256> isLead_{};
    std::array<std::unique_ptr<Row_>, 256> rows_{};
};

// The table of this thread, on the descriptor of its own it was built from.
DecodeTable* Table() {
    thread_local const IconvHandle handle("UTF-8", "CP932");
    thread_local std::unique_ptr<DecodeTable> table =
        handle.valid() ? std::make_unique<DecodeTable>(handle.get()) : nullptr;
    return table.get();
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
        std::size_t skipped = InvalidCharacterLength(in, left);
        in += skipped; // go on after the offending character
        left -= skipped;
        cd.Reset();
    }
    return out;
}

std::string DecodeCp932Field(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes); // one character a byte: nothing to pad
    }
    std::string out;
    std::size_t characters = 0;
    DecodeTable* table = Table();
    if (table != nullptr && table->Decode(bytes, out, characters)) {
        if (characters < bytes.size()) {
            out.append(bytes.size() - characters, ' ');
        }
        return out;
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
