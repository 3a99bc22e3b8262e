#include "patdata/record_reader.h"

#include "common/conversions.h"
#include "common/cp932.h"
#include "common/text.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace velmora {
namespace {

constexpr std::array<FieldSlot<RaceHeader>, 16> kRaceHeaderLayout{{
    {&RaceHeader::Field1, 8},
    {&RaceHeader::Field2, 8},
    {&RaceHeader::Field3, 2},
    {&RaceHeader::Field4, 8},
    {&RaceHeader::Field5, 2},
    {&RaceHeader::CourseName, 4},
    {&RaceHeader::Field7, 4},
    {&RaceHeader::MeetingNo, 2},
    {&RaceHeader::MeetingDay, 2},
    {&RaceHeader::RaceNo, 2},
    {&RaceHeader::Field11, 1},
    {&RaceHeader::FormatMarker, 1},
    {&RaceHeader::Field13, 4},
    {&RaceHeader::RaceName, 28},
    {&RaceHeader::Conditions, 64},
    {&RaceHeader::RunnerCount, 2},
}};

} // namespace

bool ReadField(PatFile& file, int width, std::string& field) {
    if (width <= 0) {
        return false;
    }
    auto count = static_cast<std::size_t>(width);
    bool fits = count <= PatFile::kChunkSize;
    std::string large; // only for a field longer than the file's buffer
    std::string_view bytes;
    if (!(fits ? file.ReadView(count, bytes) : file.Read(count, large))) {
        return false;
    }
    if (!fits) {
        field = DecodeCp932Field(large);
    } else if (IsAscii(bytes)) {
        // Most fields: digits and spaces. A record read again holds a field of
        // this width already, which is overwritten where it stands.
        if (field.size() == count) {
            std::memcpy(field.data(), bytes.data(), count);
        } else {
            field.assign(bytes);
        }
    } else {
        field = DecodeCp932Field(bytes);
    }
    return true;
}

bool ReadRaceHeader(PatFile& file, RaceHeader& header, MessageSink& messages) {
    if (!ReadFields(file, header, kRaceHeaderLayout)) {
        return false;
    }
    const std::string& marker = header.FormatMarker;
    if (marker == " " || marker == "2" || marker == "3") {
        return true;
    }
    messages.ShowMessage(kWrongFormatMessage, kAppTitle, MessageIcon::None);
    return false;
}

int CountFromField(const std::string& field) {
    return CountFromValue(NumericValue(field));
}

} // namespace velmora
