#include "cli/sheet_report.h"

#include "cli/commands.h"
#include "cli/report.h"
#include "engine/anomalies.h"
#include "settings/settings_ops.h"

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

} // namespace velmora::cli
