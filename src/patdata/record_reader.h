#pragma once

#include "common/messages.h"
#include "patdata/pat_file.h"
#include "patdata/records.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace velmora {

// Message shown when a race header carries an unknown format marker.
inline constexpr const char* kWrongFormatMessage = "ファイル形式が違います。";

// Reads the next `width` bytes of the file as one field: decoded from CP932 on
// their own (a double-byte character never spans two fields) and padded with
// spaces to `width` characters. False, leaving `field` as it was, when fewer
// bytes remain or the width is not positive.
bool ReadField(PatFile& file, int width, std::string& field);

namespace detail {
// ReadField of a field wider than the file's buffer, or of a width below one.
bool ReadUnbufferedField(PatFile& file, int width, std::string& field);
// Stores a field's bytes that may need decoding, over a field of any width.
void StoreField(std::string_view bytes, std::string& field);
} // namespace detail

// Stores a field's bytes as ReadField does. Most fields are digits and
// spaces, and a record read again holds a field of their width already,
// which is overwritten where it stands.
inline void StoreFieldBytes(std::string_view bytes, std::string& field) {
    bool ascii =
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii && field.size() == bytes.size()) {
        std::memcpy(field.data(), bytes.data(), bytes.size());
    } else {
        detail::StoreField(bytes, field);
    }
}

// Inline, since a race's files hold hundreds of fields.
inline bool ReadField(PatFile& file, int width, std::string& field) {
    auto count = static_cast<std::size_t>(width);
    if (width <= 0 || count > PatFile::kChunkSize) {
        return detail::ReadUnbufferedField(file, width, field);
    }
    std::string_view bytes;
    if (!file.ReadView(count, bytes)) {
        return false;
    }
    StoreFieldBytes(bytes, field);
    return true;
}

// Reads the 16 fields of a race header from the current position and checks
// its format marker. A short file fails silently; an unknown marker is
// reported through `messages` before returning false.
bool ReadRaceHeader(PatFile& file, RaceHeader& header, MessageSink& messages);

// One field of a record layout: where it goes and how many bytes it takes.
template <typename Record> struct FieldSlot {
    std::string Record::*member;
    int width;
};

// Reads the fields of `layout` in order into `record`; false at the first
// field that cannot be read, the fields before it staying filled.
template <typename Record, std::size_t N>
bool ReadFields(PatFile& file, Record& record, const std::array<FieldSlot<Record>, N>& layout) {
    for (const FieldSlot<Record>& slot : layout) {
        if (!ReadField(file, slot.width, record.*slot.member)) {
            return false;
        }
    }
    return true;
}

// Number of runners, or any other count, held in a numeric field; clamped so
// that an absurd value cannot overflow a loop bound.
int CountFromField(const std::string& field);

} // namespace velmora
