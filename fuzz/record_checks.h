#pragma once

// Checks shared by the fuzz targets on the records the readers fill.

#include "fuzz_input.h"
#include "patdata/records.h"

#include <string>

namespace velmora::fuzz {

inline void CheckHeader(const RaceHeader& h) {
    CheckFieldWidth(h.Field1, 8, "header field 1");
    CheckFieldWidth(h.Field2, 8, "header field 2");
    CheckFieldWidth(h.Field3, 2, "header field 3");
    CheckFieldWidth(h.Field4, 8, "header field 4");
    CheckFieldWidth(h.Field5, 2, "header field 5");
    CheckFieldWidth(h.CourseName, 4, "CourseName");
    CheckFieldWidth(h.Field7, 4, "header field 7");
    CheckFieldWidth(h.MeetingNo, 2, "MeetingNo");
    CheckFieldWidth(h.MeetingDay, 2, "MeetingDay");
    CheckFieldWidth(h.RaceNo, 2, "RaceNo");
    CheckFieldWidth(h.Field11, 1, "header field 11");
    CheckFieldWidth(h.FormatMarker, 1, "FormatMarker");
    CheckFieldWidth(h.Field13, 4, "header field 13");
    CheckFieldWidth(h.RaceName, 28, "RaceName");
    CheckFieldWidth(h.Conditions, 64, "Conditions");
    CheckFieldWidth(h.RunnerCount, 2, "RunnerCount");
}

// A header that passed the reader was read whole and carries a known marker.
inline void CheckAcceptedHeader(const RaceHeader& h) {
    Check(!h.RunnerCount.empty(), "an accepted header was not read to its end");
    Check(h.FormatMarker == " " || h.FormatMarker == "2" || h.FormatMarker == "3",
          "a header with an unknown format marker was accepted");
}

inline bool AllSpaces(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

} // namespace velmora::fuzz
