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

// A record read again holds fields of the right width already; those are
// overwritten where they stand, and one that is blank already is left alone:
// most cells of the table are in no file, and would otherwise all be
// rewritten at every read.
void BlankCellField(std::string& field, std::size_t width) {
    static constexpr std::string_view kSpaces = "      ";
    static_assert(std::all_of(kPairOddsLayout.begin(), kPairOddsLayout.end(), [](const auto& slot) {
        return static_cast<std::size_t>(slot.width) <= kSpaces.size();
    }));
    if (field.size() != width) {
        field.assign(width, ' ');
    } else if (std::memcmp(field.data(), kSpaces.data(), width) != 0) {
        std::memcpy(field.data(), kSpaces.data(), width);
    }
}

void BlankCell(PairOdds& cell) {
    for (const FieldSlot<PairOdds>& slot : kPairOddsLayout) {
        BlankCellField(cell.*slot.member, static_cast<std::size_t>(slot.width));
    }
}

// Reads a cell's fields in order; the field that can't be read and those
// after it are blanked, the ones before it keep what was read. A cell the
// file's buffer holds whole is taken at once.
bool ReadCell(PatFile& file, PairOdds& cell) {
    std::string_view bytes;
    if (file.Buffered() >= kCellBytes && file.ReadView(kCellBytes, bytes)) {
        for (std::size_t k = 0; k < kPairOddsLayout.size(); ++k) {
            StoreFieldBytes(
                bytes.substr(kPairOddsOffsets[k], static_cast<std::size_t>(kPairOddsLayout[k].width)),
                cell.*kPairOddsLayout[k].member);
        }
        return true;
    }
    for (std::size_t k = 0; k < kPairOddsLayout.size(); ++k) {
        if (!ReadField(file, kPairOddsLayout[k].width, cell.*kPairOddsLayout[k].member)) {
            for (; k < kPairOddsLayout.size(); ++k) {
                BlankCellField(cell.*kPairOddsLayout[k].member,
                               static_cast<std::size_t>(kPairOddsLayout[k].width));
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
