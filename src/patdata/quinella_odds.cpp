#include "patdata/quinella_odds.h"

#include "patdata/pat_file.h"
#include "patdata/record_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace velmora {
namespace {

constexpr std::array<FieldSlot<PairOdds>, 5> kPairOddsLayout{{
    {&PairOdds::Field1, 2},
    {&PairOdds::Field2, 5},
    {&PairOdds::QuinellaOdds, 6},
    {&PairOdds::WideOddsMin, 6},
    {&PairOdds::WideOddsMax, 6},
}};

constexpr int kSpareWidth = 2;

// A record read again holds fields of the right width already; those are
// overwritten where they stand.
void Blank(std::string& field, std::size_t width) {
    if (field.size() == width) {
        std::fill(field.begin(), field.end(), ' ');
    } else {
        field.assign(width, ' ');
    }
}

// As Blank for a width known here. A field that is blank already is left
// alone: most cells of the table are in no file, and a record read again
// would otherwise have all of them rewritten every time.
template <std::size_t Width> void BlankField(std::string& field) {
    static constexpr char kSpaces[] = "      ";
    static_assert(Width < sizeof kSpaces);
    if (field.size() != Width) {
        field.assign(Width, ' ');
    } else if (std::memcmp(field.data(), kSpaces, Width) != 0) {
        std::memcpy(field.data(), kSpaces, Width);
    }
}

void BlankCell(PairOdds& cell) {
    BlankField<2>(cell.Field1);
    BlankField<5>(cell.Field2);
    BlankField<6>(cell.QuinellaOdds);
    BlankField<6>(cell.WideOddsMin);
    BlankField<6>(cell.WideOddsMax);
}

constexpr std::size_t kCellBytes = 25;

// One field of a cell's bytes, as ReadField would store it.
template <std::size_t Offset, std::size_t Width>
void StoreCellField(std::string_view cell, std::string& field) {
    StoreFieldBytes(cell.substr(Offset, Width), field);
}

// Reads a cell's fields in order; the field that can't be read and those
// after it are blanked, the ones before it keep what was read. A cell the
// file's buffer holds whole is taken at once, its widths known here.
bool ReadCell(PatFile& file, PairOdds& cell) {
    std::string_view bytes;
    if (file.Buffered() >= kCellBytes && file.ReadView(kCellBytes, bytes)) {
        StoreCellField<0, 2>(bytes, cell.Field1);
        StoreCellField<2, 5>(bytes, cell.Field2);
        StoreCellField<7, 6>(bytes, cell.QuinellaOdds);
        StoreCellField<13, 6>(bytes, cell.WideOddsMin);
        StoreCellField<19, 6>(bytes, cell.WideOddsMax);
        return true;
    }
    for (std::size_t k = 0; k < kPairOddsLayout.size(); ++k) {
        if (!ReadField(file, kPairOddsLayout[k].width, cell.*kPairOddsLayout[k].member)) {
            for (; k < kPairOddsLayout.size(); ++k) {
                Blank(cell.*kPairOddsLayout[k].member, static_cast<std::size_t>(kPairOddsLayout[k].width));
            }
            return false;
        }
    }
    return true;
}

// Whether the file holds cell (i, j) before the reader gives up: the cells
// follow row by row, (1,2) … (1,n), (2,3) … (2,n), …, (n-1,n), and with more
// runners than a race can have the reader stops at the end of row 1.
bool IsCellInFile(std::size_t i, std::size_t j, int runnerCount) {
    if (i < 1 || i >= j) {
        return false;
    }
    return runnerCount > kMaxRunners ? i == 1 : j <= static_cast<std::size_t>(std::max(runnerCount, 0));
}

// Every cell either gets its fields from the file or is blanked: the grid is
// walked row by row, which meets the file's cells in their order. From the
// first field that can't be read on, all is blank.
bool ReadCells(PatFile& file, QuinellaRecord& record, int runnerCount) {
    bool read = true;
    for (std::size_t i = 0; i < record.Cells.size(); ++i) {
        for (std::size_t j = 0; j < record.Cells[i].size(); ++j) {
            PairOdds& cell = record.Cells[i][j];
            if (read && IsCellInFile(i, j, runnerCount)) {
                read = ReadCell(file, cell);
            } else {
                BlankCell(cell);
            }
        }
    }
    return read && runnerCount <= kMaxRunners;
}

} // namespace

bool ReadQuinellaOdds(const std::string& path, QuinellaRecord& record, MessageSink& messages) {
    PatFile file(path);
    if (!file.IsOpen()) {
        return false;
    }
    if (!ReadRaceHeader(file, record.Header, messages)) {
        return false;
    }
    if (!ReadField(file, kSpareWidth, record.Spare)) {
        return false;
    }
    return ReadCells(file, record, CountFromField(record.Header.RunnerCount));
}

} // namespace velmora
