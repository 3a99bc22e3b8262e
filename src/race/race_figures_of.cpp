#include "race/race_figures_of.h"

#include "common/messages.h"
#include "engine/calculation.h"
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

} // namespace velmora
