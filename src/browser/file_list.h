#pragma once

#include "browser/listing_problems.h"
#include "common/messages.h"
#include "patdata/records.h"
#include "settings/settings_store.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The file browser frmSelectFile without its window: the grid grdFileList as rows
// of texts, its listing of the PAT folder and the checks made when a row is chosen.
// The window shows these texts and hands the chosen path to UpdateFormFromSelection.

inline constexpr std::string_view kListNoRowMessage = "行を選んでちょ";
inline constexpr std::string_view kListTooFewRunnersMessage = "７頭立て以下はサポートしてないよん。";

// One data row of the grid, columns 0 to 7.
struct FileListRow {
    std::string no;         // 0 "No": position after sorting
    std::string course;     // 1 "場名": CourseName as read
    std::string meeting;    // 2 "開催": e.g. "第5回 8日"
    std::string race;       // 3 "ﾚｰｽ": RaceNo trimmed, then "R"
    std::string raceName;   // 4 "ﾚｰｽ名": RaceName as read
    std::string runners;    // 5 "頭数": RunnerCount as read
    std::string conditions; // 6 "条件": Conditions as read
    std::string file;       // 7 "ﾌｧｲﾙ名": the file name without folder
    bool operator==(const FileListRow&) const = default;
};

inline constexpr int kFileListColumnCount = 8;

struct FileListColumn {
    std::string_view caption;
    int width; // twips
};

// Captions and widths of the eight columns (SetupGridHeader); all left-aligned.
const std::array<FileListColumn, kFileListColumnCount>& FileListColumns();

// Text of column 0 ... 7 of a row.
const std::string& CellText(const FileListRow& row, int column);
std::string& CellText(FileListRow& row, int column);

// Column 2: "第#0回 " then "#0日". A field that is not a number stands in
// trimmed where the number would go.
std::string FormatMeeting(const RaceHeader& header);

// Columns 1 to 7 of a listed file; column 0 stays empty until the rows are numbered.
FileListRow MakeFileRow(const std::string& fileName, const RaceHeader& header);

// The grid's sort on columns 1, 2 and 3: a cell holding a number compares as that
// number, any other cell as text (byte order), and numbers come before texts.
// Rows with equal keys keep their order.
bool FileRowKeyLess(const FileListRow& a, const FileListRow& b);
void SortFileRows(std::vector<FileListRow>& rows);

// Writes 1 ... count into column 0 of the first `count` rows.
void NumberFileRows(std::vector<FileListRow>& rows, std::size_t count);

// The win/place odds files ("Zo-*.jra", letters in any case) of a folder:
// ordinary files only, by byte order of the name. A folder that is missing or
// cannot be read yields none.
std::vector<std::string> FindOddsFiles(const std::string& folder);

// Full path of a file in a folder, with "/" put between when the folder lacks it.
std::string JoinFolder(const std::string& folder, const std::string& fileName);

// The listing of a folder as UpdateList makes it: the rows of every odds file
// whose header could be read, sorted and numbered; the files that could not,
// in name order with their faults; and whether the folder itself could be read.
struct RaceListing {
    std::vector<FileListRow> rows;
    std::vector<SkippedOddsFile> skipped;
    FolderState folder = FolderState::Ready;
};
RaceListing ListRaceFiles(const std::string& folder);

// The grid with its current row. As created it has 49 empty data rows and no
// row chosen; rows are addressed 1 ... DataRowCount() like the grid's rows.
class FileList {
public:
    static constexpr int kInitialDataRows = 49;

    FileList();

    int DataRowCount() const { return static_cast<int>(rows_.size()); }
    const FileListRow& Row(int row) const;
    const std::vector<FileListRow>& Rows() const { return rows_; }
    // Rows that hold a listed file (1 ... ListedCount()); the rest are empty.
    int ListedCount() const { return listed_; }

    // 0 means no data row is chosen.
    int CurrentRow() const { return currentRow_; }
    void SetCurrentRow(int row);

    // Rebuilds the list from the PAT folder stored in the settings. A file
    // that can't be read is left out and named in Skipped(), and the listing
    // goes on; nothing is shown.
    void UpdateList(const SettingsStore& settings);
    // Rebuilds it from a given folder (ending in "/" or not).
    void UpdateList(const std::string& folder);

    // The odds files left out, in name order, with their faults.
    const std::vector<SkippedOddsFile>& Skipped() const { return skipped_; }
    FolderState Folder() const { return folderState_; }
    // What the window shows under the list (ListingNote); empty when all is well.
    std::string Note() const { return ListingNote(folder_, folderState_, skipped_); }

    // Fills columns 1 to 7 of data row `row`.
    void AddFileRow(int row, const std::string& fileName, const RaceHeader& header);

    // Checks the current row. Returns the full path of its file in the PAT folder
    // as stored now, to be loaded with UpdateFormFromSelection; or nothing after
    // showing why the row can't be chosen. The list itself stays unchanged.
    std::optional<std::string> SelectRace(const SettingsStore& settings, MessageSink& messages) const;

    // Bumped on every change, for a view that mirrors the grid.
    std::uint64_t Revision() const { return revision_; }

private:
    std::vector<FileListRow> rows_;
    std::vector<SkippedOddsFile> skipped_;
    std::string folder_;
    FolderState folderState_ = FolderState::Ready;
    int listed_ = 0;
    int currentRow_ = 0;
    std::uint64_t revision_ = 0;
};

} // namespace velmora
