#include "browser/file_list.h"
#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/report.h"
#include "common/text.h"
#include "settings/settings_ops.h"

namespace velmora::cli {
namespace {

const CommandSpec kSpec{
    "list",
    "list [--json] [FOLDER]",
    "list the races of a PAT folder (default: the\nPAT folder of the settings)",
    {{"json"}},
    {},
    "FOLDER",
    false,
};

// Every readable race is listed; each file left out is named on the error
// stream (and in the JSON), and like any message it makes the status 1.
int RunList(const std::vector<std::string>& args, CliContext& context) {
    ParsedCommand parsed;
    if (auto status = ReadArguments(kSpec, args, context.out, context.err, parsed)) {
        return *status;
    }
    std::string folder = parsed.operand.value_or(GetPatFolder(context.settings));
    RaceListing listing = ListRaceFiles(folder);
    RecordingMessageSink messages;
    if (listing.folder != FolderState::Ready) {
        messages.ShowMessage(std::string(PatFolderProblemText(listing.folder)), kReadFailedCaption,
                             MessageIcon::Critical);
    }
    for (const SkippedOddsFile& skipped : listing.skipped) {
        context.err << "velmora-cli list: skipped " << VisibleText(skipped.file) << ": "
                    << OddsFileFaultText(skipped.fault) << '\n';
    }
    std::string output = parsed.Has("json")
                             ? ListJson(folder, listing.rows, messages.messages, listing.skipped)
                             : ListTable(folder, listing.rows, messages.messages);
    context.out << output;
    context.out.flush();
    return messages.messages.empty() && listing.skipped.empty() ? kExitDone : kExitMessage;
}

} // namespace

const CliCommand kListCommand{kSpec, RunList};

} // namespace velmora::cli
