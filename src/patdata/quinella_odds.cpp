#include "patdata/quinella_odds.h"

#include "patdata/pat_file.h"
#include "patdata/record_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <utility>

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

// Where each field of a cell starts, and the cell's length, from the widths
// of the layout.
constexpr std::array<std::size_t, kPairOddsLayout.size()> kPairOddsOffsets = [] {
    std::array<std::size_t, kPairOddsLayout.size()> offsets{};
    std::size_t offset = 0;
    for (std::size_t k = 0; k < kPairOddsLayout.size(); ++k) {
        offsets[k] = offset;
        offset += static_cast<std::size_t>(kPairOddsLayout[k].width);
    }
    return offsets;
}();
constexpr std::size_t kCellBytes =
    kPairOddsOffsets.back() + static_cast<std::size_t>(kPairOddsLayout.back().width);

// Calls visit(field, index) for each field of a cell, the index a constant:
// every field's width and offset is then known at compile time, so that its
// compare and copy take a few instructions instead of a call to the library.
// A race reads or blanks all 361 cells of the table, most of them blank.
template <typename Visit, std::size_t... K>
void ForEachCellField(PairOdds& cell, Visit visit, std::index_sequence<K...> /*unused*/) {
    (visit(cell.*kPairOddsLayout[K].member, std::integral_constant<std::size_t, K>{}), ...);
}

template <typename Visit> void ForEachCellField(PairOdds& cell, Visit visit) {
    ForEachCellField(cell, visit, std::make_index_sequence<kPairOddsLayout.size()>{});
}

template <std::size_t K>
constexpr std::size_t kFieldWidth = static_cast<std::size_t>(kPairOddsLayout[K].width);

// A record read again holds fields of the right width already; those are
// overwritten where they stand, and one that is blank already is left alone:
// most cells of the table are in no file, and would otherwise all be
// rewritten at every read.
template <std::size_t Width> void BlankCellField(std::string& field) {
    static constexpr std::string_view kSpaces = "      ";
    static_assert(Width <= kSpaces.size());
    if (field.size() != Width) {
        field.assign(Width, ' ');
    } else if (std::memcmp(field.data(), kSpaces.data(), Width) != 0) {
        std::memcpy(field.data(), kSpaces.data(), Width);
    }
}

// Blanks the fields of a cell from the `first` on.
void BlankCellFields(PairOdds& cell, std::size_t first) {
    ForEachCellField(cell, [first](std::string& field, auto k) {
        if (k >= first) {
            BlankCellField<kFieldWidth<k>>(field);
        }
    });
}

void BlankCell(PairOdds& cell) {
    ForEachCellField(cell, [](std::string& field, auto k) { BlankCellField<kFieldWidth<k>>(field); });
}

// Reads a cell's fields in order; the field that can't be read and those
// after it are blanked, the ones before it keep what was read. A cell the
// file's buffer holds whole is taken at once.
bool ReadCell(PatFile& file, PairOdds& cell) {
    std::string_view bytes;
    if (file.Buffered() >= kCellBytes && file.ReadView(kCellBytes, bytes)) {
        ForEachCellField(cell, [bytes](std::string& field, auto k) {
            StoreFieldBytes(bytes.substr(kPairOddsOffsets[k], kFieldWidth<k>), field);
        });
        return true;
    }
    for (std::size_t k = 0; k < kPairOddsLayout.size(); ++k) {
        if (!ReadField(file, kPairOddsLayout[k].width, cell.*kPairOddsLayout[k].member)) {
            BlankCellFields(cell, k);
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
    return ReadQuinellaOdds(file, record, messages);
}

bool ReadQuinellaOdds(PatFile& file, QuinellaRecord& record, MessageSink& messages) {
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
