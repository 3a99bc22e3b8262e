// The built velmora-cli over the sample PAT folder, each run with a settings
// folder of its own so the user's settings are neither read nor touched.
#include "common/json.h"
#include "process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace velmora {
namespace {

const std::string kSamplePat = std::string(VELMORA_SOURCE_DIR) + "/samples/pat";

class EndToEndTest : public ::testing::Test {
protected:
    test::TempDir config;

    // Settings as the desktop program stores them.
    void WriteSettings(const std::string& iniText) { config.Write("Velmora/Velmora.conf", iniText); }

    test::ProcessResult Run(const std::vector<std::string>& args, const std::string& input = {}) {
        return test::RunProcess(
            VELMORA_CLI_EXECUTABLE, args,
            {"XDG_CONFIG_HOME=" + config.path().string(), "HOME=" + config.path().string()}, input);
    }

    static Json Parsed(const test::ProcessResult& result) {
        Json json = Json::parse(result.out, nullptr, false);
        EXPECT_FALSE(json.is_discarded()) << result.out << result.err;
        return json;
    }
};

TEST_F(EndToEndTest, ListsTheDefaultPatFolderFromTheSettings) {
    WriteSettings("[Option]\nPatFolder=\"" + kSamplePat + "\"\n");
    test::ProcessResult result = Run({"list", "--json"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    Json json = Parsed(result);
    EXPECT_EQ(json.at("folder"), kSamplePat + "/");
    const Json& rows = json.at("rows");
    ASSERT_EQ(rows.size(), 16U);
    // Same course and day: 10R, 11R, 12R come before 1R.
    std::vector<std::string> races;
    for (std::size_t i = 0; i < 4; ++i) {
        races.push_back(rows.at(i).at("race").get<std::string>());
        EXPECT_EQ(rows.at(i).at("no"), std::to_string(i + 1));
    }
    EXPECT_EQ(races, (std::vector<std::string>{"10R", "11R", "12R", "1R"}));
    EXPECT_EQ(rows.at(0).at("file"), "Zo-06050210.jra");
    EXPECT_EQ(rows.at(0).at("meeting"), "第5回 2日");
    EXPECT_EQ(rows.at(0).at("course"), "中山  ");
    EXPECT_EQ(rows.at(0).at("race_name").get<std::string>().size(),
              std::string("霜月ステークス").size() + 21);
    EXPECT_TRUE(json.at("messages").empty());
}

TEST_F(EndToEndTest, ResultMarksThePairsThatPaid) {
    WriteSettings("[Option]\nPopularColor\\1=255\n");
    std::string path = kSamplePat + "/Zo-06050211.jra";
    test::ProcessResult result = Run({"result", "--json", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    Json json = Parsed(result);
    EXPECT_EQ(json.at("odds_file"), path);
    EXPECT_EQ(json.at("runner_count"), 16);
    EXPECT_EQ(json.at("race").get<std::string>().rfind("11R ", 0), 0U);
    EXPECT_EQ(json.at("race_result").size(), 38U);
    EXPECT_EQ(json.at("race_result").at(0), "競争成績");
    std::size_t pairs = json.at("recommendations").size();
    EXPECT_GT(pairs, 0U);
    EXPECT_EQ(json.at("quinella_odds").size(), pairs);
    EXPECT_EQ(json.at("wide_odds").size(), pairs);
    bool marked = false;
    for (const std::string& line : json.at("recommendations").get<std::vector<std::string>>()) {
        marked = marked || line.find("○") != std::string::npos || line.find("◎") != std::string::npos;
    }
    EXPECT_TRUE(marked);
    for (const Json& row : json.at("rows")) {
        if (row.at("win_rank") == "1") {
            EXPECT_EQ(row.at("win_rank_color"), 255);
        }
    }

    test::ProcessResult loaded = Run({"load", "--json", path});
    EXPECT_EQ(loaded.exitCode, 0);
    EXPECT_TRUE(Parsed(loaded).at("race_result").empty());
}

TEST_F(EndToEndTest, RefusalsAndFailuresExitWithOneAndStillPrint) {
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {{"load", "--json", kSamplePat + "/Zo-06050206.jra"}, {"７頭立て以下は対応していません。"}},
        {{"result", "--json", kSamplePat + "/Zo-missing.jra"}, {"ファイルの読み込みに失敗しました。"}},
    };
    for (const auto& c : cases) {
        test::ProcessResult result = Run(c.args);
        EXPECT_EQ(result.exitCode, 1) << c.args[2];
        Json json = Parsed(result);
        std::vector<std::string> texts;
        for (const Json& message : json.at("messages")) {
            texts.push_back(message.at("text").get<std::string>());
        }
        EXPECT_EQ(texts, c.messages);
    }
    test::ProcessResult table = Run({"load", kSamplePat + "/Zo-missing.jra"});
    EXPECT_EQ(table.exitCode, 1);
    EXPECT_NE(table.out.find("[えらー] ファイルの読み込みに失敗しました。"), std::string::npos);
}

TEST_F(EndToEndTest, CalcReadsStandardInputAndUsageErrorsExitWithTwo) {
    std::string rows;
    for (int i = 1; i <= 8; ++i) {
        rows += std::to_string(i * 2) + ".0\t1.5\t2.5\n";
    }
    test::ProcessResult result = Run({"calc", "--json", "-"}, rows);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Parsed(result).at("rows").at(0).at("win_rate"), "0.400");

    for (const auto& args :
         std::vector<std::vector<std::string>>{{}, {"sample", "4"}, {"calc", "--json", "-"}}) {
        test::ProcessResult usage = Run(args, "1\n");
        EXPECT_EQ(usage.exitCode, 2);
        EXPECT_EQ(usage.out, "");
        EXPECT_FALSE(usage.err.empty());
    }
}

TEST_F(EndToEndTest, NothingIsWrittenToTheSettingsOrThePatFolder) {
    auto before = std::distance(std::filesystem::directory_iterator(kSamplePat), {});
    Run({"result", kSamplePat + "/Zo-06050211.jra"});
    Run({"list", kSamplePat});
    EXPECT_FALSE(std::filesystem::exists(config.path() / "Velmora"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(kSamplePat), {}), before);
}

} // namespace
} // namespace velmora
