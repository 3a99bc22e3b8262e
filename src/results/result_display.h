#pragma once

namespace velmora {

class RaceSheet;
struct Services;

inline constexpr const char* kQuinellaHitMark = "◎";
inline constexpr const char* kWideHitMark = "○";

// The "結果表示" command: shows the official result of the loaded race in
// lstRaceResult (38 lines) and marks every recommended pair that paid as a
// quinella ("◎") or, failing that, as a wide ("○"). Silent when the race has
// no result file; a result file that can't be read is reported.
void cmdResult_Click(RaceSheet& sheet, Services& services);

} // namespace velmora
