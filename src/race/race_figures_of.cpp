#include "race/race_figures_of.h"

#include "common/messages.h"
#include "engine/calculation.h"
#include "patdata/pat_file.h"
#include "patdata/quinella_odds.h"
#include "patdata/win_place_odds.h"
#include "race/race_loader.h"
#include "sheet/race_sheet.h" // with the settings store its constructor takes

namespace velmora {

RaceFigures FiguresOfRace(const RaceRecord& race, const QuinellaRecord* quinella) {
    // A sheet of its own: nothing of it is shown, and nothing it says reaches the user.
    MemorySettingsStore settings;
    RecordingMessageSink messages;
    RaceSheet sheet(settings);
    if (!FillSheetFromRace(sheet, race, messages) || !ComputeRunnerFigures(sheet, messages)) {
        return {};
    }
    RaceFigures figures = FiguresFromSheet(sheet);
    if (quinella != nullptr) {
        figures.quinella = QuinellaGridOf(*quinella, sheet.GetRunnerCount());
    }
    return figures;
}

RaceFigures FiguresOfOddsBytes(std::string_view winPlace, std::string_view quinella) {
    // What was read once is read again quietly: its trouble was told back then.
    RecordingMessageSink ignored;
    RaceRecord race;
    PatFile raceFile(PatFile::Contents{winPlace});
    if (!ReadWinPlaceOdds(raceFile, race, ignored)) {
        return {};
    }
    QuinellaRecord pairs;
    PatFile pairFile(PatFile::Contents{quinella});
    const bool hasPairs = !quinella.empty() && ReadQuinellaOdds(pairFile, pairs, ignored);
    return FiguresOfRace(race, hasPairs ? &pairs : nullptr);
}

} // namespace velmora
