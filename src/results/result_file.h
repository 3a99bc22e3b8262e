#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// One of the seven finisher entries of a result file, 40 bytes.
struct FinisherEntry {
    std::string FinishField1; // 2
    std::string FinishField2; // 2
    std::string HorseName;    // 18
    std::string FinishField4; // 6
    std::string FinishField5; // 12
};

// A payoff: the paying horse number, bracket or pair, then the amount.
struct PayoffEntry {
    std::string Key;    // 2, 4 or 6 depending on the pool
    std::string Payoff; // 8
};

inline constexpr int kResultHeaderFieldCount = 11;
inline constexpr int kFinisherCount = 7;
inline constexpr int kWinPayoffCount = 3;
inline constexpr int kPlacePayoffCount = 5;
inline constexpr int kBracketQuinellaPayoffCount = 3;
inline constexpr int kQuinellaPayoffCount = 3;
inline constexpr int kWidePayoffCount = 11;
inline constexpr int kResultFileBytes = 687;

// A whole result file. Every array is indexed from 1 (index 0 stays empty);
// every field is padded with spaces to its width in bytes.
struct ResultRecord {
    std::array<std::string, kResultHeaderFieldCount + 1> HeaderFields{}; // 8,4,4,2,2,2,1,10,1,28,28
    std::array<FinisherEntry, kFinisherCount + 1> Finishers{};
    std::string MidField;                                                              // 5
    std::array<PayoffEntry, kWinPayoffCount + 1> WinPayoffs{};                         // key 2
    std::array<PayoffEntry, kPlacePayoffCount + 1> PlacePayoffs{};                     // key 2
    std::array<PayoffEntry, kBracketQuinellaPayoffCount + 1> BracketQuinellaPayoffs{}; // key 4
    std::array<PayoffEntry, kQuinellaPayoffCount + 1> QuinellaPayoffs{};               // key 6
    std::array<PayoffEntry, kWidePayoffCount + 1> WidePayoffs{};                       // key 6
};

// Full path of the result file of the race whose win/place odds file is at
// `oddsPath`, or an empty text when there is none. The first "zo-" of the file
// name (any case) becomes "Ks-", and two wildcards, each standing for one
// character of a name, follow the character after it: F/Zo-ABCDEF.jra is
// looked for as F/Ks-A??BCDEF.jra. Only ordinary files in that folder count,
// ASCII letters match without regard to case, and of several matches the first
// name in byte order is taken. A name ending right after "zo-", or a folder
// that cannot be read give the empty text.
std::string ResultFileName(const std::string& oddsPath);

// The match above as a key: an odds file name and a result file name belong
// together when their keys are equal and not empty. `headBytes` is the length
// of the literal text in front of the wildcards ("Ks-" and the kept character,
// with whatever stood before "zo-"), as ResultNameHeadBytes gives it.
std::string ResultKeyOfOddsName(std::string_view oddsName);
std::string ResultKeyOfResultName(std::string_view resultName, std::size_t headBytes);
// The head length of an odds file name; 0 when it has no usable prefix.
std::size_t ResultNameHeadBytes(std::string_view oddsName);

// Reads the 687-byte result file at `path` into `record`. False, without a
// message, when it cannot be opened or ends early; trailing bytes are ignored.
bool ReadResultFile(const std::string& path, ResultRecord& record);

} // namespace velmora
