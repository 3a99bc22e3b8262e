#pragma once

namespace velmora {

class RaceSheet;
struct Services;

// The message shown when a race has fewer than eight runners left to compute.
inline constexpr const char* kTooFewRunnersMessage = "８頭立て未満はサポートしていましぇん。m(__)m";

// The compute command "買い目算出！": support rates, popularity ranks and
// average place odds of every runner, then the grades, the recommended pairs
// with their odds, the colouring and a remark. Every step writes its texts to
// the sheet and later steps read those texts back, so the results follow from
// exactly what the user sees.
void btnCalc_Click(RaceSheet& sheet, Services& services);

} // namespace velmora
