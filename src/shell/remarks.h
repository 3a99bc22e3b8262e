#pragma once

#include "common/clock.h"
#include "common/random.h"

#include <string>
#include <vector>

namespace velmora {

class RaceSheet;

// One-line remarks for the status bar, 1-based in the file, kept in order;
// entries may be empty.
using RemarkList = std::vector<std::string>;

inline constexpr const char* kRemarkFileName = "Remarks.txt";

// Reads the remark file; any failure gives fewer (or no) remarks, never an error.
RemarkList ReadRemarks(const std::string& iniPath);

// The program's remark list, filled once at start-up from the remark file
// beside the executable.
RemarkList& GetRemarks();
void LoadRemarks();

// Puts one remark, drawn at random after re-seeding from the clock, into the
// first status panel. With no remarks the status text stays as it is.
void ShowRandomRemark(RaceSheet& sheet, const RemarkList& remarks, RandomSource& random, const Clock& clock);

} // namespace velmora
