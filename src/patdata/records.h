#pragma once

#include "sheet/quinella_table.h"

#include <array>
#include <string>

namespace velmora {

// Fields of the PAT files are held as decoded UTF-8 texts padded with spaces to
// their width in characters; unnamed fields are kept so nothing shifts.

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
