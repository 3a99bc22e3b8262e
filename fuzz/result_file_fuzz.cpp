// ReadResultFile over arbitrary bytes: 687 bytes or more always read, fewer
// never; every field padded to its width.

#include "fuzz_input.h"
#include "record_checks.h"
#include "results/result_file.h"

namespace {

template <std::size_t N>
void CheckPayoffs(const std::array<velmora::PayoffEntry, N>& table, std::size_t keyWidth, bool complete) {
    for (std::size_t k = 1; k < N; ++k) {
        velmora::fuzz::CheckFieldWidth(table[k].Key, keyWidth, "payoff key");
        velmora::fuzz::CheckFieldWidth(table[k].Payoff, 8, "payoff");
        if (complete) {
            velmora::fuzz::Check(!table[k].Payoff.empty(), "a payoff was not read");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    const std::string& path = fuzz::WriteInputFile(data, size);
    ResultRecord record;
    bool ok = ReadResultFile(path, record);

    fuzz::Check(ok == (size >= static_cast<std::size_t>(kResultFileBytes)),
                "success does not follow the file length");
    static constexpr std::size_t kHeaderWidths[] = {0, 8, 4, 4, 2, 2, 2, 1, 10, 1, 28, 28};
    for (std::size_t k = 1; k < record.HeaderFields.size(); ++k) {
        fuzz::CheckFieldWidth(record.HeaderFields[k], kHeaderWidths[k], "result header field");
    }
    for (std::size_t k = 1; k < record.Finishers.size(); ++k) {
        const FinisherEntry& f = record.Finishers[k];
        fuzz::CheckFieldWidth(f.FinishField1, 2, "FinishField1");
        fuzz::CheckFieldWidth(f.FinishField2, 2, "FinishField2");
        fuzz::CheckFieldWidth(f.HorseName, 18, "finisher HorseName");
        fuzz::CheckFieldWidth(f.FinishField4, 6, "FinishField4");
        fuzz::CheckFieldWidth(f.FinishField5, 12, "FinishField5");
    }
    fuzz::CheckFieldWidth(record.MidField, 5, "MidField");
    CheckPayoffs(record.WinPayoffs, 2, ok);
    CheckPayoffs(record.PlacePayoffs, 2, ok);
    CheckPayoffs(record.BracketQuinellaPayoffs, 4, ok);
    CheckPayoffs(record.QuinellaPayoffs, 6, ok);
    CheckPayoffs(record.WidePayoffs, 6, ok);
    return 0;
}
