#include "backtest/backtest_listing.h"

#include "browser/file_list.h"
#include "patdata/pat_file.h"
#include "patdata/record_reader.h"

#include <algorithm>

namespace velmora {

SkipReason OddsReadFailure(const RecordingMessageSink& messages) {
    bool wrongFormat = std::any_of(messages.messages.begin(), messages.messages.end(),
                                   [](const Message& m) { return m.text == kWrongFormatMessage; });
    return wrongFormat ? SkipReason::WrongFormatOddsFile : SkipReason::UnreadableOddsFile;
}

std::vector<ListedOddsFile> ListOddsFilesInBrowserOrder(const std::string& folder,
                                                        const std::vector<std::string>& names,
                                                        std::vector<SkippedRace>& unreadable) {
    std::vector<FileListRow> rows;
    RaceHeader header; // read over for every file: its fields keep their widths
    for (const std::string& name : names) {
        RecordingMessageSink messages;
        PatFile file(JoinFolder(folder, name));
        if (!ReadRaceHeader(file, header, messages)) {
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
