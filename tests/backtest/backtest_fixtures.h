#pragma once

// A small PAT folder for the back-test, made with the fixture writer: two
// races that can be used (the worked example, and a dead heat with a refunded
// pair), one without quinella odds, and one race for every reason a race is
// skipped.
#include "pat_fixture.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace velmora::test {

namespace fs = std::filesystem;
using patfixture::Payoff;

// The race of the worked example: grades C D B B and nine pairs.
inline patfixture::Race WorkedExampleRace() {
    patfixture::Race race;
    race.courseName = "中山";
    race.courseCode = "06";
    race.raceNo = 2;
    race.runners = patfixture::RunnersWithOdds({"3.6", "5.1", "2.2", "11.5", "15.5", "26.2", "27.0", "100"});
    const char* places[8][2] = {{"1.5", "2.2"}, {"1.2", "1.6"}, {"1.1", "1.4"}, {"2.7", "4.4"},
                                {"2.5", "4.1"}, {"3.4", "5.6"}, {"2.8", "4.6"}, {"10", "10"}};
    for (std::size_t i = 0; i < 8; ++i) {
        race.runners[i].placeOddsMin = places[i][0];
        race.runners[i].placeOddsMax = places[i][1];
    }
    race.pairs[{1, 3}] = {"8.2", "3.1", "3.5"};
    patfixture::Result result;
    result.order = {3, 1, 7};
    result.quinella = std::vector<Payoff>{{"1- 3", "820"}};
    result.wide = std::vector<Payoff>{{"1- 3", "310"}, {"3- 7", "1450"}, {"1- 7", "2200"}};
    race.result = result;
    return race;
}

// Win favourite at 1.5 (grade A) and a scratched runner 1 that the place odds
// of 100 put first in place popularity, so that it is the first partner: pair
// 1-2 is refunded. Runners 3 and 4 dead-heat for second.
inline patfixture::Race DeadHeatRace() {
    patfixture::Race race;
    race.courseName = "東京";
    race.raceNo = 11;
    race.runners = patfixture::RunnersWithOdds(
        {std::string(patfixture::kScratched), "1.5", "10", "20", "30", "40", "50", "60", "70"});
    for (std::size_t i = 1; i < race.runners.size(); ++i) {
        race.runners[i].placeOddsMin = "100.0";
        race.runners[i].placeOddsMax = "100.0";
    }
    patfixture::Result result;
    result.order = {2, 3, 4};
    result.quinella = std::vector<Payoff>{{"2- 3", "1500"}, {"2- 4", "2,500"}};
    result.wide = std::vector<Payoff>{{"1- 2", "999"}, {"2- 3", "300"}, {"2- 4", "400"}, {"3- 4", "900"}};
    race.result = result;
    return race;
}

inline patfixture::Race PlainRace(int raceNo, int runners) {
    patfixture::Race race;
    race.raceNo = raceNo;
    std::vector<std::string> odds;
    for (int i = 1; i <= runners; ++i) {
        odds.push_back(std::to_string(2 * i) + ".0");
    }
    race.runners = patfixture::RunnersWithOdds(odds);
    race.result = patfixture::Result{};
    race.result->order = {1, 2, 3};
    return race;
}

inline void WriteBacktestFolder(const fs::path& folder) {
    patfixture::WriteRaceFiles(WorkedExampleRace(), folder);
    patfixture::WriteRaceFiles(DeadHeatRace(), folder);

    patfixture::Race noResult = PlainRace(3, 10);
    noResult.result.reset();
    noResult.fileId = "NORESULT.jra";
    patfixture::WriteRaceFiles(noResult, folder);

    patfixture::Race seven = PlainRace(4, 7);
    seven.fileId = "SEVEN.jra";
    patfixture::WriteRaceFiles(seven, folder);

    patfixture::Race scratched = PlainRace(5, 10);
    scratched.fileId = "SCRATCHED.jra";
    for (std::size_t i : {2U, 5U, 8U}) {
        scratched.runners[i].winOdds = std::string(patfixture::kScratched);
    }
    scratched.result->order = {1, 2, 4};
    patfixture::WriteRaceFiles(scratched, folder);

    patfixture::Race badResult = PlainRace(6, 12);
    badResult.fileId = "BADRESULT.jra";
    std::vector<fs::path> written = patfixture::WriteRaceFiles(badResult, folder);
    fs::resize_file(written.back(), 686);

    patfixture::Race wrongFormat = PlainRace(7, 9);
    wrongFormat.fileId = "WRONGFORMAT.jra";
    wrongFormat.formatMarker = "9";
    patfixture::WriteRaceFiles(wrongFormat, folder);

    patfixture::Race badOdds = PlainRace(8, 10);
    badOdds.fileId = "BADODDS.jra";
    badOdds.runners[3] = {"0.0", "1.5", "2.0", {}, {}};
    badOdds.runners[5].placeOddsMin = " "; // a blank field, not a derived one
    patfixture::WriteRaceFiles(badOdds, folder);

    std::ofstream(folder / "Zo-SHORT.jra", std::ios::binary) << std::string(100, ' ');
}

} // namespace velmora::test
