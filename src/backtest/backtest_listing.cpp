#include "backtest/backtest_listing.h"

#include "backtest/backtest_files.h"
#include "browser/file_list.h"

namespace velmora {

SkipReason OddsReadFailure(BacktestFileReader::OddsStatus status) {
    return status == BacktestFileReader::OddsStatus::WrongFormat ? SkipReason::WrongFormatOddsFile
                                                                 : SkipReason::UnreadableOddsFile;
}

std::vector<ListedOddsFile> ListOddsFilesInBrowserOrder(const std::string& folder,
                                                        std::vector<SkippedRace>& unreadable) {
    std::vector<FileListRow> rows;
    BacktestFileReader reader;
    for (const std::string& name : FindOddsFiles(folder)) {
        RaceHeader header;
        BacktestFileReader::OddsStatus status = reader.ReadRaceFileHeader(JoinFolder(folder, name), header);
        if (status != BacktestFileReader::OddsStatus::Read) {
            unreadable.push_back({name, OddsReadFailure(status)});
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
