#include "patdata/win_place_odds.h"

#include "patdata/pat_file.h"
#include "patdata/record_reader.h"

#include <array>

namespace velmora {
namespace {

constexpr std::array<FieldSlot<RunnerOdds>, 5> kRunnerOddsLayout{{
    {&RunnerOdds::Field1, 1},
    {&RunnerOdds::Field2, 2},
    {&RunnerOdds::WinOdds, 5},
    {&RunnerOdds::PlaceOddsMin, 5},
    {&RunnerOdds::PlaceOddsMax, 5},
}};

} // namespace

bool ReadWinPlaceOdds(const std::string& path, RaceRecord& record, MessageSink& messages) {
    PatFile file(path);
    return ReadWinPlaceOdds(file, record, messages);
}

bool ReadWinPlaceOdds(PatFile& file, RaceRecord& record, MessageSink& messages) {
    if (!file.IsOpen()) {
        return false;
    }
    if (!ReadRaceHeader(file, record.Header, messages)) {
        return false;
    }
    int runnerCount = CountFromField(record.Header.RunnerCount);
    for (int i = 1; i <= runnerCount; ++i) {
        if (i > kMaxRunners) {
            return false;
        }
        if (!ReadFields(file, record.Runners[static_cast<std::size_t>(i)], kRunnerOddsLayout)) {
            return false;
        }
    }
    return true;
}

bool ReadRaceFileHeader(const std::string& path, RaceHeader& header, MessageSink& messages) {
    PatFile file(path);
    if (!file.IsOpen()) {
        return false;
    }
    return ReadRaceHeader(file, header, messages);
}

} // namespace velmora
