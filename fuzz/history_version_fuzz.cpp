// A stored odds version row over arbitrary bytes: its kind, two times, the
// declared size and the compressed bytes, as a damaged or hostile history
// could hold them. Never a crash; a row is trusted only when all of it holds,
// and what it gives back goes through the figures the windows compute.
//
// Input: 1 byte kind, 8 bytes modified time, 8 bytes seen time, 8 bytes size
// (each little-endian), then the compressed bytes.

#include "fuzz_input.h"
#include "history/compression.h"
#include "history/history_store.h"
#include "movement/version_figures.h"

#include <cstring>

namespace {

std::int64_t Int64At(const std::uint8_t* data) {
    std::uint64_t value = 0;
    for (int byte = 7; byte >= 0; --byte) {
        value = (value << 8) | data[byte];
    }
    std::int64_t signedValue = 0;
    std::memcpy(&signedValue, &value, sizeof value);
    return signedValue;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    constexpr std::size_t kFields = 25;
    if (size < kFields) {
        return 0;
    }
    StoredVersionRow row;
    row.kind = data[0];
    row.modifiedMs = Int64At(data + 1);
    row.seenMs = Int64At(data + 9);
    row.size = Int64At(data + 17);
    row.compressed = std::string_view(reinterpret_cast<const char*>(data + kFields), size - kFields);
    const std::optional<OddsVersion> version = ReadStoredVersion(row);
    if (!version) {
        return 0;
    }
    fuzz::Check(row.kind == 0 || row.kind == 1, "a row of an unknown kind was trusted");
    fuzz::Check(IsPlausibleTimeMs(version->modifiedMs) && IsPlausibleTimeMs(version->seenMs),
                "a time beyond a hundred years was trusted");
    fuzz::Check(static_cast<std::int64_t>(version->bytes.size()) == row.size, "not the declared size");
    const std::string again = Compress(version->bytes);
    const auto roundTrip = ReadStoredVersion({row.kind, row.modifiedMs, row.seenMs, row.size, again});
    fuzz::Check(roundTrip && roundTrip->bytes == version->bytes, "the bytes do not survive storing again");
    // Beside a version at either end of the time range, as the windows pair them.
    OddsVersion earliest = *version;
    earliest.kind = OddsFileKind::Quinella;
    earliest.modifiedMs = -kMaxPlausibleTimeMs;
    FiguresOfVersions({earliest, *version});
    return 0;
}
