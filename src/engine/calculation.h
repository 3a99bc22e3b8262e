#pragma once

namespace velmora {

class MessageSink;
class RaceSheet;

// The message shown when a race has fewer than eight runners left to compute.
inline constexpr const char* kTooFewRunnersMessage = "８頭立て未満はサポートしていましぇん。m(__)m";

// The computation behind the compute command "買い目算出！", in its two halves
// around the reading of the quinella odds. Every step writes its texts to the
// sheet and later steps read those texts back, so the results follow from
// exactly what the user sees.

// Clears the results, then writes the support rates, popularity ranks and
// average place odds of every runner. False, after telling the user, when fewer
// than eight runners are left or an active runner's odds are no positive number
// (those fields are then marked on the sheet).
bool ComputeRunnerFigures(RaceSheet& sheet, MessageSink& messages);

// The grades, the recommended pairs with their odds from the sheet's quinella
// odds table, and the colouring.
void ComputeRecommendations(RaceSheet& sheet, MessageSink& messages);

} // namespace velmora
