#pragma once

#include <array>
#include <string>
#include <vector>

namespace velmora {

class RaceSheet;

// One built-in race of the test-data menu.
struct SampleRace {
    std::string caption;
    int horseNumIndex = 0; // entry of the runner-count list
    std::vector<std::string> horseNames;
    std::vector<std::array<std::string, 3>> odds; // win, place min, place max
    std::string resultLine;
};

const std::array<SampleRace, 3>& SampleRaces();

// Puts sample race `number` (1 ... 3) on the sheet with the note on its result.
void ShowSampleRace(RaceSheet& sheet, int number);

void mnuTestData1_Click(RaceSheet& sheet);
void mnuTestData2_Click(RaceSheet& sheet);
void mnuTestData3_Click(RaceSheet& sheet);

} // namespace velmora
