#include "backtest/backtest_listing.h"

#include "browser/file_list.h"
#include "patdata/pat_file.h"
#include "patdata/record_reader.h"
#include "patdata/win_place_odds.h"

#include <algorithm>
#include <unordered_map>

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
    std::unordered_map<std::string, std::string> contents; // by name
    RaceHeader header; // read over for every file: its fields keep their widths
    for (const std::string& name : names) {
        std::string bytes;
        RecordingMessageSink messages;
        // A file that can't be opened or read gives fewer bytes (or none),
        // and its header or race then fails to read as it would from the file.
        PatFile(JoinFolder(folder, name)).ReadAtMost(kWinPlaceOddsMaxBytes, bytes);
        PatFile file(PatFile::Contents{bytes});
        if (!ReadRaceHeader(file, header, messages)) {
            unreadable.push_back({name, OddsReadFailure(messages)});
            continue;
        }
        FileListRow row = MakeFileRow(name, header);
        row.raceName.clear(); // only the sort keys and the name are kept
        row.conditions.clear();
        rows.push_back(std::move(row));
        contents.emplace(name, std::move(bytes));
    }
    SortFileRows(rows);

    std::vector<ListedOddsFile> files;
    files.reserve(rows.size());
    for (FileListRow& row : rows) {
        std::string path = JoinFolder(folder, row.file);
        std::string bytes = std::move(contents[row.file]);
        files.push_back({std::move(row.file), std::move(path), std::move(bytes)});
    }
    return files;
}

} // namespace velmora
