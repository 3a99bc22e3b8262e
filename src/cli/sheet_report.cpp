#include "cli/sheet_report.h"

#include "cli/commands.h"
#include "cli/report.h"
#include "engine/anomalies.h"
#include "race/race_loader.h"
#include "results/result_display.h"
#include "settings/settings_ops.h"
#include "sheet/race_sheet.h"
#include "shell/services.h"

#include <ostream>

namespace velmora::cli {

int PrintSheet(CliContext& context, bool json, bool withAnomalies, const RaceSheet& sheet,
               const RecordingMessageSink& messages) {
    std::string output;
    if (!json) {
        output = SheetTable(sheet, messages.messages);
    } else if (withAnomalies) {
        AnomalyThresholds thresholds{GetRankGap(context.settings), GetQuinellaRatio(context.settings)};
        output = SheetJson(sheet, messages.messages, thresholds);
    } else {
        output = SheetJson(sheet, messages.messages);
    }
    context.out << output;
    context.out.flush();
    return messages.messages.empty() ? kExitDone : kExitMessage;
}

int LoadAndPrintRace(CliContext& context, const std::string& oddsPath, bool withResult, bool json) {
    RecordingMessageSink messages;
    Services services{context.settings, messages, context.random, context.clock, context.remarks};
    RaceSheet sheet(context.settings);
    UpdateFormFromSelection(sheet, services, oddsPath);
    if (withResult) {
        cmdResult_Click(sheet, services);
    }
    return PrintSheet(context, json, true, sheet, messages);
}

} // namespace velmora::cli
