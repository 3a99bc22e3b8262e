#pragma once

#include "engine/engine_harness.h"
#include "pat_fixture.h"

#include <string>

namespace velmora::test {

// The hand-worked race as PAT files of 東京 meeting 5 day 2, race 11, with
// quinella and wide odds on every pair that reads back as "i-j" / "ij" / "ij.5".
inline patfixture::Race WorkedPatRace() {
    patfixture::Race race;
    race.meetingNo = 5;
    race.meetingDay = 2;
    race.raceNo = 11;
    race.raceName = "ジャパンカップ";
    for (std::size_t i = 0; i < WorkedRace().size(); ++i) {
        const OddsRow& row = WorkedRace()[i];
        race.runners.push_back({row[0], row[1], row[2], "", ""});
    }
    for (int i = 1; i <= 8; ++i) {
        for (int j = i + 1; j <= 8; ++j) {
            std::string tag = std::to_string(i) + std::to_string(j);
            race.pairs[{i, j}] = {tag + ".0", tag, tag + ".5"};
        }
    }
    return race;
}

} // namespace velmora::test
