#include "history_fixtures.h"

#include "pat_fixture.h"

#include <cstdio>
#include <string>
#include <vector>

namespace velmora::test {
namespace {

std::string OddsText(double odds) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", odds);
    return text;
}

// Sixteen runners; the first two carry the version number in their odds, the
// rest move a little with it the way money does through a morning.
patfixture::Race DriftedRace(int raceNo, int version) {
    patfixture::Race race;
    race.courseName = "東京";
    race.meetingNo = 5;
    race.meetingDay = 1;
    race.raceNo = raceNo;
    std::vector<std::string> odds;
    odds.push_back(OddsText(1.0 + (version % 900) / 10.0));
    odds.push_back(OddsText(2.0 + (version / 900) / 10.0));
    for (int runner = 3; runner <= 16; ++runner) {
        const double drift = 1.0 + 0.02 * ((version * runner) % 7 - 3);
        odds.push_back(OddsText((3.0 + runner * 4.3) * drift));
    }
    race.runners = patfixture::RunnersWithOdds(odds);
    return race;
}

SeenFile Seen(const std::filesystem::path& folder, const std::string& name, std::string bytes, int version) {
    SeenFile file;
    file.path = (folder / name).string();
    file.bytes = std::move(bytes);
    file.modifiedMs = MinutesIntoRaceDay(version);
    file.seenMs = file.modifiedMs + 250;
    return file;
}

} // namespace

SeenFile OddsVersion(const std::filesystem::path& folder, int raceNo, int version) {
    const auto race = DriftedRace(raceNo, version);
    return Seen(folder, patfixture::OddsFileName(race), patfixture::WinPlaceOddsBytes(race), version);
}

SeenFile QuinellaVersion(const std::filesystem::path& folder, int raceNo, int version) {
    const auto race = DriftedRace(raceNo, version);
    return Seen(folder, patfixture::QuinellaFileName(race), patfixture::QuinellaOddsBytes(race), version);
}

} // namespace velmora::test
