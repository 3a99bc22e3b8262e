#include "browser/file_list.h"

#include "common/conversions.h"
#include "common/text.h"
#include "settings/settings_ops.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace velmora {
namespace {

constexpr int kMinimumRunners = 8;

// "#0": at least one digit, no leading zeros or blanks.
std::string FormatWholeNumber(std::string_view field) {
    if (!IsNumericText(field)) {
        return std::string(TrimSpaces(field));
    }
    return std::to_string(std::llround(NumericValue(field)));
}

// A sort key cell: numbers first (by value), then texts (by bytes).
int CompareCells(const std::string& a, const std::string& b) {
    bool aNumber = IsNumericText(a);
    bool bNumber = IsNumericText(b);
    if (aNumber != bNumber) {
        return aNumber ? -1 : 1;
    }
    if (aNumber) {
        double x = NumericValue(a);
        double y = NumericValue(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// Shared by the const and the mutable accessor.
template <typename Row> auto& CellOf(Row& row, int column) {
    switch (column) {
    case 0:
        return row.no;
    case 1:
        return row.course;
    case 2:
        return row.meeting;
    case 3:
        return row.race;
    case 4:
        return row.raceName;
    case 5:
        return row.runners;
    case 6:
        return row.conditions;
    case 7:
        return row.file;
    default:
        throw std::out_of_range("file list column out of range: " + std::to_string(column));
    }
}

} // namespace

const std::array<FileListColumn, kFileListColumnCount>& FileListColumns() {
    static const std::array<FileListColumn, kFileListColumnCount> columns = {{
        {"No", 400},
        {"場名", 700},
        {"開催", 1000},
        {"ﾚｰｽ", 600},
        {"ﾚｰｽ名", 2000},
        {"頭数", 450},
        {"条件", 2200},
        {"ﾌｧｲﾙ名", 1500},
    }};
    return columns;
}

std::string& CellText(FileListRow& row, int column) {
    return CellOf(row, column);
}

const std::string& CellText(const FileListRow& row, int column) {
    return CellOf(row, column);
}

std::string FormatMeeting(const RaceHeader& header) {
    return "第" + FormatWholeNumber(header.MeetingNo) + "回 " + FormatWholeNumber(header.MeetingDay) + "日";
}

FileListRow MakeFileRow(const std::string& fileName, const RaceHeader& header) {
    FileListRow row;
    row.course = header.CourseName;
    row.meeting = FormatMeeting(header);
    row.race = std::string(TrimSpaces(header.RaceNo)) + "R";
    row.raceName = header.RaceName;
    row.runners = header.RunnerCount;
    row.conditions = header.Conditions;
    row.file = fileName;
    return row;
}

bool FileRowKeyLess(const FileListRow& a, const FileListRow& b) {
    if (int order = CompareCells(a.course, b.course); order != 0) {
        return order < 0;
    }
    if (int order = CompareCells(a.meeting, b.meeting); order != 0) {
        return order < 0;
    }
    return CompareCells(a.race, b.race) < 0;
}

void SortFileRows(std::vector<FileListRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), FileRowKeyLess);
}

void NumberFileRows(std::vector<FileListRow>& rows, std::size_t count) {
    count = std::min(count, rows.size());
    for (std::size_t i = 0; i < count; ++i) {
        rows[i].no = std::to_string(i + 1);
    }
}

RaceListing ListRaceFiles(const std::string& folder) {
    FileList list;
    list.UpdateList(folder);
    std::vector<FileListRow> rows = list.Rows();
    rows.resize(static_cast<std::size_t>(list.ListedCount()));
    return {std::move(rows), list.Skipped(), list.Folder()};
}

FileList::FileList() : rows_(kInitialDataRows) {}

const FileListRow& FileList::Row(int row) const {
    if (row < 1 || row > DataRowCount()) {
        throw std::out_of_range("file list row out of range: " + std::to_string(row));
    }
    return rows_[static_cast<std::size_t>(row - 1)];
}

void FileList::SetCurrentRow(int row) {
    if (row < 0 || row > DataRowCount()) {
        throw std::out_of_range("file list row out of range: " + std::to_string(row));
    }
    currentRow_ = row;
    ++revision_;
}

void FileList::AddFileRow(int row, const std::string& fileName, const RaceHeader& header) {
    if (row < 1 || row > DataRowCount()) {
        throw std::out_of_range("file list row out of range: " + std::to_string(row));
    }
    FileListRow& target = rows_[static_cast<std::size_t>(row - 1)];
    FileListRow filled = MakeFileRow(fileName, header);
    filled.no = target.no;
    target = std::move(filled);
    ++revision_;
}

void FileList::UpdateList(const SettingsStore& settings) {
    UpdateList(GetPatFolder(settings));
}

std::string JoinFolder(const std::string& folder, const std::string& fileName) {
    if (folder.empty() || folder.back() == '/') {
        return folder + fileName;
    }
    return folder + "/" + fileName;
}

std::optional<std::string> FileList::SelectRace(const SettingsStore& settings, MessageSink& messages) const {
    if (currentRow_ == 0) {
        messages.ShowMessage(std::string(kListNoRowMessage), kAppTitle, MessageIcon::None);
        return std::nullopt;
    }
    const FileListRow& row = Row(currentRow_);
    if (NumericValue(row.runners) < kMinimumRunners) {
        messages.ShowMessage(std::string(kListTooFewRunnersMessage), kAppTitle, MessageIcon::None);
        return std::nullopt;
    }
    return PatFilePath(settings, row.file);
}

} // namespace velmora
