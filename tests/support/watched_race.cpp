#include "support/watched_race.h"

#include <fstream>
#include <stdexcept>

namespace velmora::test {
namespace {

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace

patfixture::Race WatchedRace(int raceNo) {
    patfixture::Race race;
    race.raceNo = raceNo;
    race.courseName = "中山";
    race.meetingNo = 5;
    race.meetingDay = 2;
    race.runners = patfixture::RunnersWithOdds(
        {"2.4", "5.1", "7.7", "12.5", "3.3", "21.0", "45.2", "9.8", "15.0", "66.1", "30.4", "99.9"});
    for (patfixture::Runner& runner : race.runners) {
        runner.placeOddsMin = "1.1";
        runner.placeOddsMax = "1.9";
    }
    const int count = static_cast<int>(race.runners.size());
    for (int i = 1; i < count; ++i) {
        for (int j = i + 1; j <= count; ++j) {
            race.pairs[{i, j}] = {"12.3", "3.1", "4.2"};
        }
    }
    return race;
}

void RewriteInPlace(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
    WriteFile(folder / name, bytes);
}

} // namespace velmora::test
