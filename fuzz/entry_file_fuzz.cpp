// ReadEntryFile over arbitrary bytes: no format check, so any file long enough
// passes; never a crash, fields padded, entries only for runners 1 ... count.

#include "fuzz_input.h"
#include "patdata/entry_file.h"
#include "patdata/record_reader.h"
#include "record_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    const std::string& path = fuzz::WriteInputFile(data, size);
    EntryRecord record;
    bool ok = ReadEntryFile(path, record);

    const EntryHeader& h = record.Header;
    fuzz::CheckFieldWidth(h.Field1, 8, "entry header field 1");
    fuzz::CheckFieldWidth(h.Field9, 28, "entry header field 9");
    fuzz::CheckFieldWidth(h.Field10, 28, "entry header field 10");
    fuzz::CheckFieldWidth(h.RunnerCount, 2, "entry RunnerCount");
    for (const EntryRunner& runner : record.Runners) {
        fuzz::CheckFieldWidth(runner.Field3, 2, "entry field 3");
        fuzz::CheckFieldWidth(runner.HorseName, 18, "HorseName");
        fuzz::CheckFieldWidth(runner.Field7, 18, "entry field 7");
        fuzz::CheckFieldWidth(runner.Field9, 4, "entry field 9");
    }
    if (ok) {
        fuzz::Check(!h.RunnerCount.empty(), "an accepted header was not read to its end");
        int count = CountFromField(h.RunnerCount);
        fuzz::Check(count <= kMaxRunners, "more than 18 runners accepted");
        for (int i = 0; i <= kMaxRunners; ++i) {
            bool filled = !record.Runners[static_cast<std::size_t>(i)].Field9.empty();
            fuzz::Check(filled == (i >= 1 && i <= count), "entries do not follow the runner count");
        }
    }
    return 0;
}
