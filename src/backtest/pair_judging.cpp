#include "backtest/pair_judging.h"

#include "common/conversions.h"

#include <cmath>
#include <string>

namespace velmora {

std::int64_t PayoffYen(std::string_view text) {
    std::string digits;
    digits.reserve(text.size());
    for (char c : text) {
        if (c != ',') {
            digits.push_back(c);
        }
    }
    double value = NumericValue(digits);
    // Far beyond any real payoff; keeps the conversion defined on absurd files.
    constexpr double kLimit = 1e15;
    if (!(std::fabs(value) < kLimit)) {
        return 0;
    }
    return static_cast<std::int64_t>(std::llround(value));
}

namespace {

// Hit flag and summed return of one pool.
void JudgePool(const std::string& pairText, const std::vector<BacktestPayoff>& payoffs, bool& hit,
               std::int64_t& returned) {
    hit = false;
    returned = 0;
    for (const BacktestPayoff& payoff : payoffs) {
        if (KeyNamesPair(payoff.key, pairText)) {
            hit = true;
            returned += payoff.amount;
        }
    }
}

} // namespace

void JudgePair(BacktestPair& pair, const std::vector<BacktestPayoff>& quinella,
               const std::vector<BacktestPayoff>& wide) {
    JudgePool(pair.pair, quinella, pair.quinellaHit, pair.quinellaReturn);
    JudgePool(pair.pair, wide, pair.wideHit, pair.wideReturn);
}

} // namespace velmora
