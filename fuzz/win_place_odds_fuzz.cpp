// ReadWinPlaceOdds over arbitrary bytes: never a crash, fields padded to their
// widths, at most the one format message, entries only for runners 1 ... count.

#include "fuzz_input.h"
#include "patdata/record_reader.h"
#include "patdata/win_place_odds.h"
#include "record_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    const std::string& path = fuzz::WriteInputFile(data, size);
    RecordingMessageSink messages;
    RaceRecord record;
    bool ok = ReadWinPlaceOdds(path, record, messages);

    fuzz::CheckHeader(record.Header);
    fuzz::Check(messages.messages.size() <= 1, "more than one message");
    fuzz::Check(record.Runners[0].WinOdds.empty(), "runner 0 was filled");
    for (const RunnerOdds& runner : record.Runners) {
        fuzz::CheckFieldWidth(runner.Field1, 1, "runner field 1");
        fuzz::CheckFieldWidth(runner.Field2, 2, "runner field 2");
        fuzz::CheckFieldWidth(runner.WinOdds, 5, "WinOdds");
        fuzz::CheckFieldWidth(runner.PlaceOddsMin, 5, "PlaceOddsMin");
        fuzz::CheckFieldWidth(runner.PlaceOddsMax, 5, "PlaceOddsMax");
    }
    if (ok) {
        fuzz::Check(messages.messages.empty(), "a message on success");
        fuzz::CheckAcceptedHeader(record.Header);
        int count = CountFromField(record.Header.RunnerCount);
        fuzz::Check(count <= kMaxRunners, "more than 18 runners accepted");
        for (int i = 1; i <= kMaxRunners; ++i) {
            bool filled = !record.Runners[static_cast<std::size_t>(i)].PlaceOddsMax.empty();
            fuzz::Check(filled == (i <= count), "runner entries do not follow the runner count");
        }
    }
    return 0;
}
