#pragma once

#include <array>
#include <string>

namespace velmora {

// The quinella odds table the race sheet holds, filled by the quinella odds
// reader; fields keep the file's decoded, space-padded texts, and unnamed fields
// are kept so nothing shifts.

// The 142-byte header that opens the win/place odds and quinella odds files.
struct RaceHeader {
    std::string Field1;       // 8
    std::string Field2;       // 8
    std::string Field3;       // 2
    std::string Field4;       // 8
    std::string Field5;       // 2
    std::string CourseName;   // 4
    std::string Field7;       // 4
    std::string MeetingNo;    // 2
    std::string MeetingDay;   // 2
    std::string RaceNo;       // 2
    std::string Field11;      // 1
    std::string FormatMarker; // 1
    std::string Field13;      // 4
    std::string RaceName;     // 28
    std::string Conditions;   // 64
    std::string RunnerCount;  // 2
};

// One pair's cell of the quinella odds file, 25 bytes.
struct PairOdds {
    std::string Field1;       // 2
    std::string Field2;       // 5
    std::string QuinellaOdds; // 6
    std::string WideOddsMin;  // 6
    std::string WideOddsMax;  // 6
};

inline constexpr int kMaxRunners = 18;

struct QuinellaRecord {
    RaceHeader Header;
    std::string Spare; // 2
    // Addressed [i][j] with 1 <= i, j <= 18; only i < j <= runner count is filled.
    std::array<std::array<PairOdds, kMaxRunners + 1>, kMaxRunners + 1> Cells{};
};

// Joins the lower and upper wide odds in a wide odds text.
inline constexpr const char* kWideOddsSeparator = "～";

} // namespace velmora
