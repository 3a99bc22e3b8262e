#include "backtest/backtest_listing.h"

#include "browser/file_list.h"

#include <optional>

namespace velmora {

SkipReason SkipReasonOf(OddsFileFault fault) {
    return fault == OddsFileFault::WrongFormat ? SkipReason::WrongFormatOddsFile
                                               : SkipReason::UnreadableOddsFile;
}

SkipReason OddsReadFailure(const RecordingMessageSink& messages) {
    return SkipReasonOf(OddsReadFault(messages));
}

std::vector<ListedOddsFile> ListOddsFilesInBrowserOrder(const std::string& folder,
                                                        const std::vector<std::string>& names,
                                                        std::vector<SkippedRace>& unreadable) {
    std::vector<FileListRow> rows;
    RaceHeader header; // read over for every file: its fields keep their widths
    for (const std::string& name : names) {
        if (std::optional<OddsFileFault> fault = ReadOddsFileHeader(JoinFolder(folder, name), header)) {
            unreadable.push_back({name, SkipReasonOf(*fault)});
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
