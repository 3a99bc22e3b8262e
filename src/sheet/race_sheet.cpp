#include "sheet/race_sheet.h"

#include "common/conversions.h"
#include "common/text.h"
#include "settings/settings_ops.h"

#include <stdexcept>

namespace velmora {
namespace {

constexpr int kResetEntry = 8; // "16"
constexpr float kScratchedWinOdds = 999.9f;
constexpr float kScratchedPlaceOdds = 99.99f;

std::size_t ColumnIndex(Column column) {
    return static_cast<std::size_t>(column);
}

void CheckRow(int row) {
    if (row < 1 || row > kMaxRunners) {
        throw std::out_of_range("runner row out of range: " + std::to_string(row));
    }
}

} // namespace

RaceSheet::RaceSheet(const SettingsStore& settings) : settings_(settings) {
    ClearSheet();
}

const std::array<std::string, 11>& RaceSheet::HorseNumEntries() {
    static const std::array<std::string, 11> entries = {"8",  "9",  "10", "11", "12", "13",
                                                        "14", "15", "16", "17", "18"};
    return entries;
}

void RaceSheet::Changed() {
    ++revision_;
    if (listener_) {
        listener_();
    }
}

void RaceSheet::SetKaisai(std::string text) {
    kaisai_ = std::move(text);
    Changed();
}

void RaceSheet::SetRaceName(std::string text) {
    raceName_ = std::move(text);
    Changed();
}

const std::string& RaceSheet::HorseNumText() const {
    return HorseNumEntries()[static_cast<std::size_t>(horseNumIndex_)];
}

void RaceSheet::SetHorseNumIndex(int index) {
    if (index < 0 || index >= static_cast<int>(HorseNumEntries().size())) {
        throw std::out_of_range("runner-count entry out of range");
    }
    horseNumIndex_ = index;
    cmbHorseNum_Click();
}

bool RaceSheet::SetHorseNumText(std::string_view text) {
    const auto& entries = HorseNumEntries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == text) {
            SetHorseNumIndex(static_cast<int>(i));
            return true;
        }
    }
    return false;
}

RaceSheet::Cell& RaceSheet::At(Column column, int row) {
    CheckRow(row);
    return rows_[static_cast<std::size_t>(row - 1)][ColumnIndex(column)];
}

const RaceSheet::Cell& RaceSheet::At(Column column, int row) const {
    CheckRow(row);
    return rows_[static_cast<std::size_t>(row - 1)][ColumnIndex(column)];
}

const std::string& RaceSheet::Text(Column column, int row) const {
    return At(column, row).text;
}

void RaceSheet::SetText(Column column, int row, std::string text) {
    Cell& cell = At(column, row);
    if (IsOddsColumn(column)) {
        cell.text = NarrowOddsText(text);
        cell.marked = false;
    } else {
        cell.text = std::move(text);
    }
    Changed();
}

bool RaceSheet::IsMarked(Column column, int row) const {
    return At(column, row).marked;
}

void RaceSheet::Mark(Column column, int row) {
    At(column, row).marked = true;
    Changed();
}

void RaceSheet::ClearMarks() {
    for (auto& row : rows_) {
        for (Cell& cell : row) {
            cell.marked = false;
        }
    }
    Changed();
}

bool RaceSheet::IsEnabled(Column column, int row) const {
    return At(column, row).enabled;
}

CellColors RaceSheet::Colors(Column column, int row) const {
    return At(column, row).colors;
}

const std::string& RaceSheet::Rank(int index) const {
    return ranks_.at(static_cast<std::size_t>(index - 1));
}

void RaceSheet::SetRank(int index, std::string caption) {
    ranks_.at(static_cast<std::size_t>(index - 1)) = std::move(caption);
    Changed();
}

const std::vector<std::string>& RaceSheet::Items(SheetList list) const {
    return lists_[static_cast<std::size_t>(list)];
}

void RaceSheet::AddItem(SheetList list, std::string text) {
    lists_[static_cast<std::size_t>(list)].push_back(std::move(text));
    Changed();
}

void RaceSheet::SetItem(SheetList list, std::size_t index, std::string text) {
    lists_[static_cast<std::size_t>(list)].at(index) = std::move(text);
    Changed();
}

void RaceSheet::ClearList(SheetList list) {
    lists_[static_cast<std::size_t>(list)].clear();
    Changed();
}

void RaceSheet::SetStatusText(std::string text) {
    status_ = std::move(text);
    Changed();
}

int RaceSheet::GetRunnerCount() const {
    return static_cast<int>(NumericValue(HorseNumText()));
}

bool RaceSheet::IsScratched(int row) const {
    return TrimSpaces(Text(Column::TanOdds, row)) == kScratchMarker;
}

int RaceSheet::GetScratchedCount() const {
    int count = 0;
    const int n = GetRunnerCount();
    for (int i = 1; i <= n; ++i) {
        count += IsScratched(i) ? 1 : 0;
    }
    return count;
}

int RaceSheet::GetActiveRunnerCount() const {
    return GetRunnerCount() - GetScratchedCount();
}

float RaceSheet::ReadOdds(Column column, int row, float scratchedValue) const {
    return IsScratched(row) ? scratchedValue : ToSingle(NumericValue(Text(column, row)));
}

float RaceSheet::GetWinOdds(int row) const {
    return ReadOdds(Column::TanOdds, row, kScratchedWinOdds);
}

float RaceSheet::GetPlaceOddsMin(int row) const {
    return ReadOdds(Column::FukuOddsMin, row, kScratchedPlaceOdds);
}

float RaceSheet::GetPlaceOddsMax(int row) const {
    return ReadOdds(Column::FukuOddsMax, row, kScratchedPlaceOdds);
}

void RaceSheet::cmbHorseNum_Click() {
    int n = GetRunnerCount();
    for (int i = 1; i <= kMaxRunners; ++i) {
        for (Column column : {Column::TanOdds, Column::FukuOddsMin, Column::FukuOddsMax}) {
            At(column, i).enabled = i <= n;
        }
    }
    Changed();
}

void RaceSheet::ColorCell(Column column, int row, std::int32_t background) {
    At(column, row).colors = {background, ReadableTextColor(background)};
}

void RaceSheet::ColorPopularity() {
    int n = GetRunnerCount();
    for (Column column : {Column::TanPopular, Column::FukuPopular}) {
        for (int i = 1; i <= n; ++i) {
            ColorCell(column, i, GetPopularColor(settings_, ParseIntOrZero(Text(column, i))));
        }
    }
    for (int i = n + 1; i <= kMaxRunners; ++i) {
        ColorCell(Column::TanPopular, i, kWhite);
        ColorCell(Column::FukuPopular, i, kWhite);
    }
    Changed();
}

void RaceSheet::ClearHorseNames() {
    for (int i = 1; i <= kMaxRunners; ++i) {
        At(Column::HorseName, i).text.clear();
    }
    Changed();
}

void RaceSheet::ClearResults() {
    for (auto& list : lists_) {
        list.clear();
    }
    for (int i = 1; i <= kMaxRunners; ++i) {
        for (Column column : {Column::TanPopular, Column::TanRatio, Column::FukuOdds, Column::FukuPopular,
                              Column::FukuRatio}) {
            At(column, i).text.clear();
        }
    }
    ColorPopularity();
}

void RaceSheet::ClearSheet() {
    SetHorseNumIndex(kResetEntry);
    kaisai_.clear();
    raceName_.clear();
    ClearHorseNames();
    for (int i = 1; i <= GetMaxRunners(); ++i) {
        for (Column column : {Column::TanOdds, Column::FukuOddsMin, Column::FukuOddsMax}) {
            At(column, i).text.clear();
        }
    }
    ClearMarks();
    ClearResults();
    ranks_.fill({});
    status_ = "Ready";
    sOddsFileName.clear();
    Changed();
}

} // namespace velmora
