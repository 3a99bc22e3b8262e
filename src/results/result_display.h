#pragma once

#include <string_view>

namespace velmora {

class RaceSheet;
struct Services;

inline constexpr const char* kQuinellaHitMark = "◎";
inline constexpr const char* kWideHitMark = "○";

// True when a payoff key names a recommended pair's line: both with spaces
// removed at both ends, equal character by character, and the key not empty.
// The result display marks its hits with it, and the back-test judges with it.
bool KeyNamesPair(std::string_view key, std::string_view pairLine);

// The "結果表示" command: shows the official result of the loaded race in
// lstRaceResult (38 lines) and marks every recommended pair that paid as a
// quinella ("◎") or, failing that, as a wide ("○"). Silent when the race has
// no result file; a result file that can't be read is reported.
void cmdResult_Click(RaceSheet& sheet, Services& services);

} // namespace velmora
