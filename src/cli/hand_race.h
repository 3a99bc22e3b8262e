#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {
class RaceSheet;
}

namespace velmora::cli {

// One runner row typed by hand: the texts go onto the sheet exactly as written.
struct HandRow {
    std::string winOdds;
    std::string placeMin;
    std::string placeMax;
    std::string name;
    bool operator==(const HandRow&) const = default;
};

struct HandRace {
    std::vector<HandRow> rows; // rows 1, 2, ... in order
    int runnerCount = 0;
};

struct HandRaceParse {
    std::optional<HandRace> race;
    std::string error; // why the input is unusable
};

// Reads the tab-separated rows of `calc`: one line per runner row from row 1,
// fields win odds, lower and upper place odds, horse name; missing fields are
// empty, a "\r" ending a line is dropped, and a final line end starts no row.
// A UTF-8 byte-order mark at the start and blank lines (spaces and tabs only)
// after the last row are ignored.
// The runner count is `runners` when given, else the number of lines.
HandRaceParse ParseHandRace(std::string_view text, std::optional<int> runners);

// Resets the sheet and puts the race on it, as if typed into the main window.
void FillSheetFromHandRace(RaceSheet& sheet, const HandRace& race);

} // namespace velmora::cli
