#pragma once

#include "backtest/backtest_record.h"
#include "results/result_display.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

// Yen returned per 100 yen for a payoff text: its numeric value, with thousands
// separators ("1,230") read as part of the number rather than ending it.
std::int64_t PayoffYen(std::string_view text);

// Sets the hit flags and returns of `pair` from a race's quinella and wide
// payoffs. The two pools are judged on their own, so a pair may hit in both,
// and every matching entry of a dead heat adds its payoff.
void JudgePair(BacktestPair& pair, const std::vector<BacktestPayoff>& quinella,
               const std::vector<BacktestPayoff>& wide);

} // namespace velmora
