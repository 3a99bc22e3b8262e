#pragma once

#include "settings/settings_store.h"
#include "sheet/quinella_table.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The nine text fields of a runner row, left to right.
enum class Column {
    HorseName,   // txtHorseName
    TanOdds,     // txtTanOdds
    TanPopular,  // txtTanPopular
    TanRatio,    // txtTanRatio
    FukuOddsMin, // txtFukuOddsMin
    FukuOddsMax, // txtFukuOddsMax
    FukuOdds,    // txtFukuOdds
    FukuPopular, // txtFukuPopular
    FukuRatio,   // txtFukuRatio
};
inline constexpr int kColumnCount = 9;

enum class SheetList {
    Result,         // lstResult: recommended pairs
    ResultUmaOdds,  // lstResultUmaOdds: their quinella odds
    ResultWideOdds, // lstResultWideOdds: their wide odds
    RaceResult,     // lstRaceResult: the official result
};
inline constexpr int kListCount = 4;
inline constexpr int kRankCount = 4;

struct CellColors {
    std::int32_t background = 16777215;
    std::int32_t foreground = 0;
    bool operator==(const CellColors&) const = default;
};

// The scratch marker in a win-odds field: four half-width katakana.
inline constexpr std::string_view kScratchMarker = "ﾄﾘｹｼ";

// The three odds fields a runner's figures are computed from.
inline bool IsOddsColumn(Column column) {
    return column == Column::TanOdds || column == Column::FukuOddsMin || column == Column::FukuOddsMax;
}

// Every text the user sees on the race sheet of the main window. The texts are
// the data: the engine, the loader and the result display read and write them
// here, and a view only mirrors them.
class RaceSheet {
public:
    explicit RaceSheet(const SettingsStore& settings);

    // Title fields.
    const std::string& Kaisai() const { return kaisai_; }
    void SetKaisai(std::string text);
    const std::string& RaceName() const { return raceName_; }
    void SetRaceName(std::string text);

    // Runner-count list cmbHorseNum: the entries "8" ... "18".
    static const std::array<std::string, 11>& HorseNumEntries();
    int HorseNumIndex() const { return horseNumIndex_; }
    const std::string& HorseNumText() const;
    // Selecting an entry, by the user or the program, runs cmbHorseNum_Click.
    void SetHorseNumIndex(int index);
    // Selects the entry with exactly this text; false (nothing changes) when none has it.
    bool SetHorseNumText(std::string_view text);

    // Runner rows 1 ... 18.
    const std::string& Text(Column column, int row) const;
    // An odds field keeps its text narrowed to ASCII digits and full stop as it
    // is typed, pasted or filled; a new text also takes away the field's mark.
    void SetText(Column column, int row, std::string text);
    bool IsEnabled(Column column, int row) const;
    CellColors Colors(Column column, int row) const; // the two popularity columns

    // Odds fields the computation refused, marked until their text changes or
    // the next computation.
    bool IsMarked(Column column, int row) const;
    void Mark(Column column, int row);
    void ClearMarks();

    // Reliability grades lblRank(1) ... lblRank(4).
    const std::string& Rank(int index) const;
    void SetRank(int index, std::string caption);

    // The four lists.
    const std::vector<std::string>& Items(SheetList list) const;
    void AddItem(SheetList list, std::string text);
    void SetItem(SheetList list, std::size_t index, std::string text);
    void ClearList(SheetList list);

    // First panel of the status bar.
    const std::string& StatusText() const { return status_; }
    void SetStatusText(std::string text);

    // Accessors shared by every subsystem.
    int GetMaxRunners() const { return kMaxRunners; }
    int GetRunnerCount() const;
    bool IsScratched(int row) const;
    int GetScratchedCount() const;
    int GetActiveRunnerCount() const;
    float GetWinOdds(int row) const;
    float GetPlaceOddsMin(int row) const;
    float GetPlaceOddsMax(int row) const;

    void ClearHorseNames();
    void ClearResults();
    void ClearSheet();
    void cmbHorseNum_Click();
    void ColorPopularity();

    // The win/place odds file whose race is on the sheet, or empty.
    std::string sOddsFileName;
    // The quinella odds of that race, overwritten by every calculation's read.
    QuinellaRecord tUmaOdds;

    // Views learn of changes through the revision (bumped on every change) and
    // an optional listener called after each one.
    std::uint64_t Revision() const { return revision_; }
    void SetChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    struct Cell {
        std::string text;
        bool enabled = true;
        bool marked = false;
        CellColors colors;
    };

    Cell& At(Column column, int row);
    const Cell& At(Column column, int row) const;
    float ReadOdds(Column column, int row, float scratchedValue) const;
    void ColorCell(Column column, int row, std::int32_t background);
    void Changed();

    const SettingsStore& settings_;
    std::string kaisai_;
    std::string raceName_;
    int horseNumIndex_ = 8;
    std::array<std::array<Cell, kColumnCount>, kMaxRunners> rows_{};
    std::array<std::string, kRankCount> ranks_{};
    std::array<std::vector<std::string>, kListCount> lists_{};
    std::string status_;
    std::uint64_t revision_ = 0;
    std::function<void()> listener_;
};

} // namespace velmora
