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
// overwritten where they stand, which keeps blanking 361 cells cheap.
void Blank(std::string& field, std::size_t width) {
    if (field.size() == width) {
        std::fill(field.begin(), field.end(), ' ');
    } else {
        field.assign(width, ' ');
    }
}

void BlankCells(QuinellaRecord& record) {
    for (auto& row : record.Cells) {
        for (PairOdds& cell : row) {
            for (const FieldSlot<PairOdds>& slot : kPairOddsLayout) {
                Blank(cell.*slot.member, static_cast<std::size_t>(slot.width));
            }
        }
    }
}

// Cells follow row by row: (1,2) … (1,n), (2,3) … (2,n), …, (n-1,n).
bool ReadCells(PatFile& file, QuinellaRecord& record, int runnerCount) {
    for (int i = 1; i <= runnerCount; ++i) {
        for (int j = i + 1; j <= runnerCount; ++j) {
            if (i > kMaxRunners || j > kMaxRunners) {
                return false;
            }
            auto& cell = record.Cells[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
            if (!ReadFields(file, cell, kPairOddsLayout)) {
                return false;
            }
        }
    }
    return true;
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
    int runnerCount = CountFromField(record.Header.RunnerCount);
    BlankCells(record);
    return ReadCells(file, record, runnerCount);
}

} // namespace velmora
