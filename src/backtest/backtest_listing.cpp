#include "backtest/backtest_listing.h"

#include "browser/file_list.h"
#include "patdata/record_reader.h"
#include "patdata/win_place_odds.h"

#include <algorithm>

namespace velmora {

SkipReason OddsReadFailure(const RecordingMessageSink& messages) {
    bool wrongFormat = std::any_of(messages.messages.begin(), messages.messages.end(),
                                   [](const Message& m) { return m.text == kWrongFormatMessage; });
    return wrongFormat ? SkipReason::WrongFormatOddsFile : SkipReason::UnreadableOddsFile;
}

std::vector<ListedOddsFile> ListOddsFilesInBrowserOrder(const std::string& folder,
                                                        std::vector<SkippedRace>& unreadable) {
    std::vector<FileListRow> rows;
    for (const std::string& name : FindOddsFiles(folder)) {
        RaceHeader header;
        RecordingMessageSink messages;
        if (!ReadRaceFileHeader(JoinFolder(folder, name), header, messages)) {
            unreadable.push_back({name, OddsReadFailure(messages)});
            continue;
        }
        FileListRow row = MakeFileRow(name, header);
        row.raceName.clear(); // only the sort keys and the name are kept
        row.conditions.clear();
        rows.push_back(std::move(row));
    }
    SortFileRows(rows);

    std::vector<ListedOddsFile> files;
    files.reserve(rows.size());
    for (FileListRow& row : rows) {
        std::string path = JoinFolder(folder, row.file);
        files.push_back({std::move(row.file), std::move(path)});
    }
    return files;
}

} // namespace velmora
