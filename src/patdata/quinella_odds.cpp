#include "patdata/quinella_odds.h"

#include "patdata/pat_file.h"
#include "patdata/record_reader.h"

#include <algorithm>
#include <array>

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

// Whether the file holds cell (i, j) before the reader gives up: the cells
// follow row by row, (1,2) … (1,n), (2,3) … (2,n), …, (n-1,n), and with more
// runners than a race can have the reader stops at the end of row 1.
bool IsCellInFile(std::size_t i, std::size_t j, int runnerCount) {
    if (i < 1 || i >= j) {
        return false;
    }
    return runnerCount > kMaxRunners ? i == 1 : j <= static_cast<std::size_t>(std::max(runnerCount, 0));
}

// Every cell either gets its fields from the file or is blanked, each field
// written once: the grid is walked row by row, which meets the file's cells
// in their order. From the first field that can't be read on, all is blank.
bool ReadCells(PatFile& file, QuinellaRecord& record, int runnerCount) {
    bool read = true;
    for (std::size_t i = 0; i < record.Cells.size(); ++i) {
        for (std::size_t j = 0; j < record.Cells[i].size(); ++j) {
            bool inFile = IsCellInFile(i, j, runnerCount);
            for (const FieldSlot<PairOdds>& slot : kPairOddsLayout) {
                std::string& field = record.Cells[i][j].*slot.member;
                if (read && inFile) {
                    read = ReadField(file, slot.width, field);
                    if (read) {
                        continue;
                    }
                }
                Blank(field, static_cast<std::size_t>(slot.width));
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
