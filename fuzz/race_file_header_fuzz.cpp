// ReadRaceFileHeader over arbitrary bytes: the file browser's header read.

#include "fuzz_input.h"
#include "patdata/record_reader.h"
#include "patdata/win_place_odds.h"
#include "record_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    const std::string& path = fuzz::WriteInputFile(data, size);
    RecordingMessageSink messages;
    RaceHeader header;
    bool ok = ReadRaceFileHeader(path, header, messages);

    fuzz::CheckHeader(header);
    fuzz::Check(messages.messages.size() <= 1, "more than one message");
    if (ok) {
        fuzz::Check(messages.messages.empty(), "a message on success");
        fuzz::CheckAcceptedHeader(header);
    } else if (!messages.messages.empty()) {
        fuzz::Check(messages.messages[0].text == kWrongFormatMessage, "an unexpected message");
        fuzz::Check(size >= kRaceHeaderBytes, "a format message for a short file");
    }
    return 0;
}
