#include "patdata/record_reader.h"

#include "common/conversions.h"
#include "common/cp932.h"
#include "common/text.h"

#include <array>
#include <cstddef>

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

namespace detail {

bool ReadUnbufferedField(PatFile& file, int width, std::string& field) {
    if (width <= 0) {
        return false;
    }
    std::string large;
    if (!file.Read(static_cast<std::size_t>(width), large)) {
        return false;
    }
    field = DecodeCp932Field(large);
    return true;
}

void StoreField(std::string_view bytes, std::string& field) {
    if (IsAscii(bytes)) {
        field.assign(bytes);
    } else {
        field = DecodeCp932Field(bytes);
    }
}

} // namespace detail

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
