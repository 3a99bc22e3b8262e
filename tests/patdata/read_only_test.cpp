#include "common/messages.h"
#include "patdata/entry_file.h"
#include "patdata/pat_bytes.h"
#include "patdata/quinella_odds.h"
#include "patdata/race_header_fixture.h"
#include "patdata/win_place_odds.h"
#include "results/result_file.h"
#include "support/temp_dir.h"

#include <functional>
#include <set>

#include <gtest/gtest.h>

namespace velmora {
namespace {

std::set<std::string> Listing(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Every reader, on a good file, a short one and one of the wrong format, leaves
// the file's bytes and modification time alone and adds nothing to the folder.
TEST(PatReaders, NeverChangeAFileOrTheFolder) {
    struct Reader {
        const char* name;
        std::function<void(const std::string&)> read;
    };
    const Reader readers[] = {
        {"win/place odds",
         [](const std::string& path) {
             RecordingMessageSink sink;
             RaceRecord record;
             ReadWinPlaceOdds(path, record, sink);
         }},
        {"race file header",
         [](const std::string& path) {
             RecordingMessageSink sink;
             RaceHeader header;
             ReadRaceFileHeader(path, header, sink);
         }},
        {"quinella odds",
         [](const std::string& path) {
             RecordingMessageSink sink;
             QuinellaRecord record;
             ReadQuinellaOdds(path, record, sink);
         }},
        {"entry file",
         [](const std::string& path) {
             EntryRecord record;
             ReadEntryFile(path, record);
         }},
        {"result file",
         [](const std::string& path) {
             ResultRecord record;
             ReadResultFile(path, record);
         }},
        {"result file name", [](const std::string& path) { ResultFileName(path); }},
    };
    std::string wrongFormat = test::RaceHeaderBytes("9", " 2");
    const std::pair<const char*, std::string> contents[] = {
        {"good", test::RaceHeaderBytes("2", " 2") + std::string(800, '5')},
        {"short", test::RaceHeaderBytes("2", " 2").substr(0, 100)},
        {"wrong format", wrongFormat + std::string(800, '5')},
    };
    for (const Reader& reader : readers) {
        for (const auto& [kind, bytes] : contents) {
            test::TempDir dir;
            std::string path = dir.Write("Zo-ABCDEF.jra", bytes);
            dir.Write("Ks-A12BCDEF.jra", bytes);
            test::Age(path);
            test::Age((dir.path() / "Ks-A12BCDEF.jra").string());
            test::FileSnapshot before = test::Snapshot(path);
            test::FileSnapshot resultBefore = test::Snapshot((dir.path() / "Ks-A12BCDEF.jra").string());
            auto listing = Listing(dir.path());

            reader.read(path);
            reader.read((dir.path() / "Ks-A12BCDEF.jra").string());

            EXPECT_EQ(test::Snapshot(path), before) << reader.name << ", " << kind;
            EXPECT_EQ(test::Snapshot((dir.path() / "Ks-A12BCDEF.jra").string()), resultBefore)
                << reader.name << ", " << kind;
            EXPECT_EQ(Listing(dir.path()), listing) << reader.name << ", " << kind;
        }
    }
}

} // namespace
} // namespace velmora
