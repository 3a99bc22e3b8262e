#pragma once

#include <array>
#include <string>

namespace velmora {

// Fields of the PAT files are held as decoded UTF-8 texts padded with spaces to
// their width in characters; unnamed fields are kept so nothing shifts.

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

// One runner's 18-byte entry of the win/place odds file.
struct RunnerOdds {
    std::string Field1;       // 1
    std::string Field2;       // 2
    std::string WinOdds;      // 5
    std::string PlaceOddsMin; // 5
    std::string PlaceOddsMax; // 5
};

// A whole win/place odds file. Runners[i] is runner i (1 <= i <= 18); index 0
// and the entries behind the runner count stay empty.
struct RaceRecord {
    RaceHeader Header;
    std::array<RunnerOdds, kMaxRunners + 1> Runners{};
};

// The 92-byte header of the entry file; it carries no format marker.
struct EntryHeader {
    std::string Field1;      // 8
    std::string Field2;      // 4
    std::string Field3;      // 4
    std::string Field4;      // 2
    std::string Field5;      // 2
    std::string Field6;      // 2
    std::string Field7;      // 4
    std::string Field8;      // 8
    std::string Field9;      // 28
    std::string Field10;     // 28
    std::string RunnerCount; // 2
};

// One runner's 48-byte entry of the entry file.
struct EntryRunner {
    std::string Field1;    // 1
    std::string Field2;    // 1
    std::string Field3;    // 2
    std::string Field4;    // 1
    std::string Field5;    // 1
    std::string HorseName; // 18
    std::string Field7;    // 18
    std::string Field8;    // 2
    std::string Field9;    // 4
};

// A whole entry file. Runners[i] is runner i (1 <= i <= 18); index 0 and the
// entries behind the runner count stay empty.
struct EntryRecord {
    EntryHeader Header;
    std::array<EntryRunner, kMaxRunners + 1> Runners{};
};

} // namespace velmora
