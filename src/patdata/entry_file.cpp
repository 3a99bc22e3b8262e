#include "patdata/entry_file.h"

#include "patdata/record_reader.h"

#include <array>

namespace velmora {
namespace {

constexpr std::array<FieldSlot<EntryHeader>, 11> kEntryHeaderLayout{{
    {&EntryHeader::Field1, 8},
    {&EntryHeader::Field2, 4},
    {&EntryHeader::Field3, 4},
    {&EntryHeader::Field4, 2},
    {&EntryHeader::Field5, 2},
    {&EntryHeader::Field6, 2},
    {&EntryHeader::Field7, 4},
    {&EntryHeader::Field8, 8},
    {&EntryHeader::Field9, 28},
    {&EntryHeader::Field10, 28},
    {&EntryHeader::RunnerCount, 2},
}};

constexpr std::array<FieldSlot<EntryRunner>, 9> kEntryRunnerLayout{{
    {&EntryRunner::Field1, 1},
    {&EntryRunner::Field2, 1},
    {&EntryRunner::Field3, 2},
    {&EntryRunner::Field4, 1},
    {&EntryRunner::Field5, 1},
    {&EntryRunner::HorseName, 18},
    {&EntryRunner::Field7, 18},
    {&EntryRunner::Field8, 2},
    {&EntryRunner::Field9, 4},
}};

} // namespace

bool ReadEntryHeader(PatFile& file, EntryHeader& header) {
    return ReadFields(file, header, kEntryHeaderLayout);
}

bool ReadEntryFile(const std::string& path, EntryRecord& record) {
    PatFile file(path);
    if (!file.IsOpen()) {
        return false;
    }
    if (!ReadEntryHeader(file, record.Header)) {
        return false;
    }
    int runnerCount = CountFromField(record.Header.RunnerCount);
    for (int i = 1; i <= runnerCount; ++i) {
        if (i > kMaxRunners) {
            return false;
        }
        if (!ReadFields(file, record.Runners[static_cast<std::size_t>(i)], kEntryRunnerLayout)) {
            return false;
        }
    }
    return true;
}

} // namespace velmora
