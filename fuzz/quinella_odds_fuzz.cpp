// ReadQuinellaOdds over arbitrary bytes: never a crash; on success every cell
// of the 18 x 18 table holds its full width, blank outside i < j <= count.

#include "fuzz_input.h"
#include "patdata/quinella_odds.h"
#include "patdata/record_reader.h"
#include "record_checks.h"

namespace {

void CheckCell(const velmora::PairOdds& cell, bool filled) {
    using velmora::fuzz::CheckFieldWidth;
    CheckFieldWidth(cell.Field1, 2, "pair field 1");
    CheckFieldWidth(cell.Field2, 5, "pair field 2");
    CheckFieldWidth(cell.QuinellaOdds, 6, "QuinellaOdds");
    CheckFieldWidth(cell.WideOddsMin, 6, "WideOddsMin");
    CheckFieldWidth(cell.WideOddsMax, 6, "WideOddsMax");
    velmora::fuzz::Check(!cell.WideOddsMax.empty(), "a cell was neither blanked nor read");
    if (!filled) {
        bool blank = velmora::fuzz::AllSpaces(cell.Field1) && velmora::fuzz::AllSpaces(cell.Field2) &&
                     velmora::fuzz::AllSpaces(cell.QuinellaOdds) &&
                     velmora::fuzz::AllSpaces(cell.WideOddsMin) && velmora::fuzz::AllSpaces(cell.WideOddsMax);
        velmora::fuzz::Check(blank, "a cell outside the race is not blank");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    const std::string& path = fuzz::WriteInputFile(data, size);
    RecordingMessageSink messages;
    QuinellaRecord record;
    bool ok = ReadQuinellaOdds(path, record, messages);

    fuzz::CheckHeader(record.Header);
    fuzz::CheckFieldWidth(record.Spare, 2, "spare field");
    fuzz::Check(messages.messages.size() <= 1, "more than one message");
    if (ok) {
        fuzz::Check(messages.messages.empty(), "a message on success");
        fuzz::CheckAcceptedHeader(record.Header);
        int count = CountFromField(record.Header.RunnerCount);
        fuzz::Check(count <= kMaxRunners, "more than 18 runners accepted");
        for (int i = 1; i <= kMaxRunners; ++i) {
            for (int j = 1; j <= kMaxRunners; ++j) {
                CheckCell(record.Cells[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)],
                          i < j && j <= count);
            }
        }
    }
    return 0;
}
