#include "patdata/race_header_fixture.h"

#include "patdata/pat_bytes.h"

#include <gtest/gtest.h>

namespace velmora::test {

std::vector<HeaderField> RaceHeaderFields(std::string_view marker, std::string_view runnerCount) {
    return {
        {"Field1", 0, 8, &RaceHeader::Field1, "ABCDEFGH"},
        {"Field2", 8, 8, &RaceHeader::Field2, "IJKLMNOP"},
        {"Field3", 16, 2, &RaceHeader::Field3, "QR"},
        {"Field4", 18, 8, &RaceHeader::Field4, "STUVWXYZ"},
        {"Field5", 26, 2, &RaceHeader::Field5, "ab"},
        {"CourseName", 28, 4, &RaceHeader::CourseName, "東京"},
        {"Field7", 32, 4, &RaceHeader::Field7, "cdef"},
        {"MeetingNo", 36, 2, &RaceHeader::MeetingNo, " 5"},
        {"MeetingDay", 38, 2, &RaceHeader::MeetingDay, "08"},
        {"RaceNo", 40, 2, &RaceHeader::RaceNo, "11"},
        {"Field11", 42, 1, &RaceHeader::Field11, "g"},
        {"FormatMarker", 43, 1, &RaceHeader::FormatMarker, std::string(marker)},
        {"Field13", 44, 4, &RaceHeader::Field13, "hijk"},
        {"RaceName", 48, 28, &RaceHeader::RaceName, "ｼﾞｬﾊﾟﾝｶｯﾌﾟ第40回lmnopqrstuvw"},
        {"Conditions", 76, 64, &RaceHeader::Conditions,
         "３歳以上オープン国際yz0123456789abcdefghijklmnopqrstuvwxyzABCDEF"},
        {"RunnerCount", 140, 2, &RaceHeader::RunnerCount, std::string(runnerCount)},
    };
}

std::string RaceHeaderBytes(std::string_view marker, std::string_view runnerCount) {
    PatBytes bytes;
    for (const HeaderField& field : RaceHeaderFields(marker, runnerCount)) {
        EXPECT_EQ(bytes.size(), field.offset) << field.name;
        bytes.Add(field.text, field.width);
    }
    EXPECT_EQ(bytes.size(), 142u);
    return bytes.bytes();
}

char RunnerDigit(int runner) {
    return "0123456789ABCDEFGHI"[runner];
}

} // namespace velmora::test
