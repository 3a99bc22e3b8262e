#pragma once

#include "common/messages.h"
#include "patdata/records.h"

#include <optional>
#include <string>

namespace velmora {

class MessageSink;
class RaceSheet;
struct Services;

inline constexpr const char* kTooSmallRaceMessage = "７頭立て以下は対応していません。";

// The compute command "買い目算出！": the figures of every runner, the race's
// quinella odds read afresh, then the grades, the recommended pairs with their
// odds, the colouring and a remark.
void btnCalc_Click(RaceSheet& sheet, Services& services);

// Clears the sheet and copies the race onto it: runner count, meeting and race
// lines (untrimmed, as the fields stand), and the trimmed odds of every runner.
// False, with the sheet left cleared, when the race is refused: fewer than 8
// runners (reported), or a runner count the sheet can't show (reported as a
// failed read, since no readable file holds one).
bool FillSheetFromRace(RaceSheet& sheet, const RaceRecord& race, MessageSink& messages);

// Puts the horse names from the race's entry file onto the sheet; without a
// readable entry file every name is emptied.
void LoadEntryNames(RaceSheet& sheet, const std::string& oddsPath);

// Copies the untrimmed names of the entries the file holds; rows behind them keep theirs.
void SetHorseNames(RaceSheet& sheet, const EntryRecord& entries);

// Loads the race of a win/place odds file chosen in the file browser and computes it.
void UpdateFormFromSelection(RaceSheet& sheet, Services& services, const std::string& sFileName);

// A race's two odds files as read once: the bytes of each, or nothing for a
// file that could not be read. Loading from them reads neither file again,
// so that what is checked, shown and recorded is one version.
struct RaceOddsBytes {
    std::optional<std::string> winPlace;
    std::optional<std::string> quinella;
};

// UpdateFormFromSelection and OpenOddsFile over bytes already read; the
// entry file's names are still read from beside `oddsPath`.
void UpdateFormFromBytes(RaceSheet& sheet, Services& services, const std::string& oddsPath,
                         const RaceOddsBytes& bytes);
void OpenOddsFileFromBytes(RaceSheet& sheet, Services& services, const std::string& oddsPath,
                           const RaceOddsBytes& bytes);

// The file-open command once its dialog has returned `chosenPath` (empty when
// cancelled): like UpdateFormFromSelection, but a race it can't take leaves the
// sheet as it was.
void OpenOddsFile(RaceSheet& sheet, Services& services, const std::string& chosenPath);

} // namespace velmora
