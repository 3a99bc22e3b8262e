// The built velmora-cli following a folder while versions of a race are
// written into it the way the PAT software writes them.
#include "common/json.h"
#include "history/history_store.h"
#include "process.h"
#include "support/temp_dir.h"
#include "support/watched_race.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutMs = 20000; // generous: the machine may be busy

class WatchEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(folder); }

    std::unique_ptr<test::RunningProcess> StartWatch(std::vector<std::string> args) {
        auto process = std::make_unique<test::RunningProcess>(
            VELMORA_CLI_EXECUTABLE, args,
            std::vector<std::string>{"XDG_CONFIG_HOME=" + config.path().string(),
                                     "XDG_DATA_HOME=" + dataHome.string(), "HOME=" + config.path().string()});
        EXPECT_TRUE(process->WaitForError("following", kTimeoutMs)) << process->ErrorText();
        return process;
    }

    void WriteOdds() const {
        test::ReplaceByRename(folder, patfixture::OddsFileName(race), patfixture::WinPlaceOddsBytes(race));
    }

    static Json NextJson(test::RunningProcess& process) {
        std::optional<std::string> line = process.ReadLine(kTimeoutMs);
        EXPECT_TRUE(line.has_value()) << process.ErrorText();
        return Json::parse(line.value_or(""), nullptr, false);
    }

    std::vector<std::string> HeldOddsFiles(const patfixture::Race& held) const {
        HistoryStore::Options options;
        options.readOnly = true;
        HistoryStore history((dataHome / "Velmora" / "history.sqlite").string(), options);
        const auto found = history.FindRace((folder / patfixture::OddsFileName(held)).string(), std::nullopt);
        std::vector<std::string> bytes;
        for (const OddsVersion& version : found ? history.Versions(found->id) : std::vector<OddsVersion>{}) {
            bytes.push_back(version.bytes);
        }
        return bytes;
    }

    test::TempDir config;
    fs::path dataHome = config.path();
    test::TempDir dir;
    fs::path folder = dir.path() / "pat";
    patfixture::Race race = test::WatchedRace();
};

TEST_F(WatchEndToEndTest, ReportsEveryVersionAsOneJsonLineAndEndsCleanlyOnSigterm) {
    WriteOdds();
    auto watch = StartWatch({"watch", "--json", folder.string()});
    const std::vector<std::string> odds = {"2.6", "2.9", "3.4", "3.1"};
    for (const std::string& winOdds : odds) {
        race.runners[0].winOdds = winOdds;
        WriteOdds();
        const Json change = NextJson(*watch);
        EXPECT_EQ(change.at("file"), "Zo-05050211.jra");
        EXPECT_EQ(change.at("kind"), "win_place");
        EXPECT_EQ(change.at("course"), "中山");
        EXPECT_EQ(change.at("meeting"), "第5回 2日");
        EXPECT_EQ(change.at("race"), "11R");
        EXPECT_EQ(change.at("new"), false);
        EXPECT_EQ(change.at("runners"), Json::array({1}));
        EXPECT_EQ(change.at("time").get<std::string>().size(), 8U);
        EXPECT_EQ(change.at("recorded"), true);
    }
    test::ReplaceByRename(folder, patfixture::QuinellaFileName(race), patfixture::QuinellaOddsBytes(race));
    const Json first = NextJson(*watch);
    EXPECT_EQ(first.at("kind"), "quinella");
    EXPECT_EQ(first.at("new"), true);
    EXPECT_EQ(first.at("pairs"), Json::array());

    watch->Signal(SIGTERM);
    EXPECT_EQ(watch->Wait(kTimeoutMs), 0) << watch->ErrorText();
    EXPECT_FALSE(watch->ReadLine(0).has_value());

    // The opening version, the four changes and the quinella file, all kept.
    HistoryStore history((config.path() / "Velmora" / "history.sqlite").string());
    const auto held = history.FindRace((folder / patfixture::OddsFileName(race)).string(), std::nullopt);
    ASSERT_TRUE(held);
    EXPECT_EQ(history.Versions(held->id).size(), 6U);
}

TEST_F(WatchEndToEndTest, AVersionWrittenJustBeforeSigintIsStillReported) {
    WriteOdds();
    auto watch = StartWatch({"watch", folder.string()});
    race.runners[3].placeOddsMin = "1.3";
    WriteOdds();
    watch->Signal(SIGINT); // well inside the wait for the writes to settle
    EXPECT_EQ(watch->Wait(kTimeoutMs), 0) << watch->ErrorText();
    const std::optional<std::string> line = watch->ReadLine(0);
    ASSERT_TRUE(line.has_value());
    EXPECT_NE(line->find("  中山 第5回 2日 11R  Zo-05050211.jra  runners 4"), std::string::npos) << *line;
}

TEST_F(WatchEndToEndTest, FollowsTheFolderAgainAfterItWasRemoved) {
    auto watch = StartWatch({"watch", "--json", folder.string()});
    fs::remove_all(folder);
    EXPECT_TRUE(watch->WaitForError("gone", kTimeoutMs));
    fs::create_directory(folder);
    EXPECT_TRUE(watch->WaitForError("back", kTimeoutMs));
    WriteOdds();
    EXPECT_EQ(NextJson(*watch).at("new"), true);
    watch->Signal(SIGTERM);
    EXPECT_EQ(watch->Wait(kTimeoutMs), 0);
}

TEST_F(WatchEndToEndTest, VersionsTheHistoryCouldNotKeepAreMarkedCountedAndEndWithStatusOne) {
    dataHome = dir.path() / "data";
    dir.Write("data/Velmora", "a file where the history's folder should be");
    WriteOdds();
    auto watch = StartWatch({"watch", "--json", folder.string()});
    race.runners[0].winOdds = "2.6";
    WriteOdds();
    const Json change = NextJson(*watch);
    EXPECT_TRUE(change.contains("recorded") && change.at("recorded") == false) << DumpJson(change);
    watch->Signal(SIGTERM);
    EXPECT_EQ(watch->Wait(kTimeoutMs), 1) << watch->ErrorText();
    // The version read at the start and the change.
    EXPECT_NE(watch->ErrorText().find("2 versions were not recorded"), std::string::npos)
        << watch->ErrorText();
}

// `velmora-cli watch | head -1`: once the reader is gone nothing more can be
// shown, but every version written so far is still recorded.
TEST_F(WatchEndToEndTest, AReaderThatGoesAwayCostsNoVersionAndEndsWithStatusOne) {
    WriteOdds();
    auto watch = StartWatch({"watch", "--json", folder.string()});
    race.runners[0].winOdds = "2.6";
    WriteOdds();
    EXPECT_EQ(NextJson(*watch).at("recorded"), true);
    watch->CloseOutput();

    // Held still while they are written, it takes them in all at once: the
    // first line it then fails to write is not the last version it sees.
    ASSERT_TRUE(watch->Pause());
    race.runners[0].winOdds = "2.9";
    WriteOdds();
    test::ReplaceByRename(folder, patfixture::QuinellaFileName(race), patfixture::QuinellaOddsBytes(race));
    const patfixture::Race other = test::WatchedRace(12);
    test::ReplaceByRename(folder, patfixture::OddsFileName(other), patfixture::WinPlaceOddsBytes(other));
    test::ReplaceByRename(folder, patfixture::QuinellaFileName(other), patfixture::QuinellaOddsBytes(other));
    watch->Signal(SIGCONT);

    EXPECT_EQ(watch->Wait(kTimeoutMs), 1) << watch->ErrorText();
    EXPECT_NE(watch->ErrorText().find("output was closed"), std::string::npos) << watch->ErrorText();
    const std::vector<std::string> held = HeldOddsFiles(race);
    EXPECT_EQ(held.size(), 4U); // the first version, 2.6, 2.9 and the quinella file
    EXPECT_NE(std::find(held.begin(), held.end(), patfixture::WinPlaceOddsBytes(race)), held.end());
    EXPECT_NE(std::find(held.begin(), held.end(), patfixture::QuinellaOddsBytes(race)), held.end());
    EXPECT_EQ(HeldOddsFiles(other).size(), 2U);
}

TEST_F(WatchEndToEndTest, AFolderThatIsNotThereIsAnErrorAtOnce) {
    const fs::path file = dir.path() / "file";
    dir.Write("file", "x");
    for (const fs::path& path : {dir.path() / "missing", file}) {
        test::RunningProcess watch(
            VELMORA_CLI_EXECUTABLE, {"watch", path.string()},
            {"XDG_CONFIG_HOME=" + config.path().string(), "XDG_DATA_HOME=" + config.path().string()});
        EXPECT_EQ(watch.Wait(kTimeoutMs), 1) << path;
        EXPECT_NE(watch.ErrorText().find("no such folder: " + path.string()), std::string::npos);
    }
}

} // namespace
} // namespace velmora
