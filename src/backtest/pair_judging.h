#pragma once

#include "backtest/backtest_record.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

// Yen returned per 100 yen for a payoff text: its numeric value, with thousands
// separators ("1,230") read as part of the number rather than ending it.
std::int64_t PayoffYen(std::string_view text);

// True when a payoff key names the listed pair: both with spaces removed at
// both ends, equal character by character, and the key not empty. This is the
// comparison the result display marks its hits with.
bool KeyNamesPair(std::string_view key, std::string_view pairLine);

// Sets the hit flags and returns of `pair` from a race's quinella and wide
// payoffs. The two pools are judged on their own, so a pair may hit in both,
// and every matching entry of a dead heat adds its payoff.
void JudgePair(BacktestPair& pair, const std::vector<BacktestPayoff>& quinella,
               const std::vector<BacktestPayoff>& wide);

} // namespace velmora
