#include "common/cp932.h"
#include "settings/settings_store.h"
#include "sheet/race_sheet.h"
#include "shell/ini_file.h"
#include "shell/remarks.h"
#include "support/manual_clock.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <set>

namespace velmora {
namespace {

std::string Sjis(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(EncodeCp932(utf8, out));
    return out;
}

class IniFileTest : public ::testing::Test {
protected:
    test::TempDir dir;
    CINIFile ini;

    void WriteIni(const std::string& bytes) { ini.SetFileName(dir.Write("Remarks.txt", bytes)); }
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(ini.FileName(), "");
    EXPECT_EQ(ini.GetValue("Remarks", "Num", "0"), "0");
    ini.SetFileName((dir.path() / "none.txt").string());
    EXPECT_EQ(ini.GetValue("Remarks", "Num", "  0"), "0");
    WriteIni("[Other]\nNum=5\n");
    EXPECT_EQ(ini.GetValue("Remarks", "Num", "0"), "0");
    EXPECT_EQ(ini.GetValue("Other", "Missing", ""), "");
}

TEST_F(IniFileTest, NamesMatchInAnyCaseAndTheFirstDuplicateWins) {
    WriteIni("; comment\r\n[REMARKS]\r\nnum = 2\r\nNUM=9\r\n[remarks]\r\nRemark1=later\r\n");
    EXPECT_EQ(ini.GetValue("Remarks", "Num", "0"), "2");
    EXPECT_EQ(ini.GetValue("rEmArKs", "Remark1", ""), "later");
}

TEST_F(IniFileTest, QuotesAndBlanksFollowTheProfileReader) {
    WriteIni("[S]\nplain=  value with blanks  \nquoted=\"  inside  \"\nsingle='x'\nhalf=\"open\nempty=\n");
    EXPECT_EQ(ini.GetValue("S", "plain", ""), "value with blanks");
    EXPECT_EQ(ini.GetValue("S", "quoted", ""), "inside  "); // leading blanks go, trailing stay
    EXPECT_EQ(ini.GetValue("S", "single", ""), "x");
    EXPECT_EQ(ini.GetValue("S", "half", ""), "\"open");
    EXPECT_EQ(ini.GetValue("S", "empty", "dflt"), "");
}

TEST_F(IniFileTest, ValuesAreCutTo1023Bytes) {
    WriteIni("[S]\nlong=" + std::string(1500, 'x') + "\n");
    EXPECT_EQ(ini.GetValue("S", "long", ""), std::string(1023, 'x'));
}

TEST_F(IniFileTest, TextIsCp932UnlessMarkedAsUtf8) {
    WriteIni(Sjis("[Remarks]\nRemark1=本命党も穴党も\n"));
    EXPECT_EQ(ini.GetValue("Remarks", "Remark1", ""), "本命党も穴党も");
    WriteIni("\xEF\xBB\xBF[Remarks]\nRemark1=ﾄﾘｹｼ\n");
    EXPECT_EQ(ini.GetValue("Remarks", "Remark1", ""), "ﾄﾘｹｼ");
}

class RemarksTest : public IniFileTest {
protected:
    RemarkList Read(const std::string& body) {
        WriteIni(body);
        return ReadRemarks(ini.FileName());
    }
};

TEST_F(RemarksTest, TheCountDecidesTheLength) {
    EXPECT_TRUE(ReadRemarks((dir.path() / "missing.txt").string()).empty());
    EXPECT_EQ(Read("[Remarks]\nNum=3\nRemark1=a\nRemark3=c\n"), (RemarkList{"a", "", "c"}));
    EXPECT_EQ(Read("[Remarks]\nNum=2\nRemark1=a\nRemark2=b\nRemark3=c\nRemark4=d\nRemark5=e\n"),
              (RemarkList{"a", "b"}));
    EXPECT_EQ(Read("[Remarks]\nNum=2.5\nRemark1=a\n").size(), 2u);
    EXPECT_EQ(Read("[Remarks]\nNum=3.5\nRemark1=a\n").size(), 4u);
    EXPECT_TRUE(Read("[Remarks]\nNum=many\nRemark1=a\n").empty());
    EXPECT_TRUE(Read("[Remarks]\nNum=40000\nRemark1=a\n").empty());
    EXPECT_TRUE(Read("[Remarks]\nNum=-3\nRemark1=a\n").empty());
    EXPECT_TRUE(Read("[Remarks]\nRemark1=a\n").empty());
    EXPECT_EQ(Read("[Remarks]\nNum=1\nRemark01=zero-padded\n"), (RemarkList{""}));
}

TEST(ShippedRemarks, TheProgramFolderHoldsADozenRemarks) {
    RemarkList remarks = ReadRemarks(std::string(VELMORA_BINARY_DIR) + "/bin/Remarks.txt");
    ASSERT_EQ(remarks.size(), 12u);
    for (const auto& remark : remarks) {
        EXPECT_FALSE(remark.empty());
        EXPECT_EQ(remark.find("\xEF\xBF\xBD"), std::string::npos) << remark;
    }
}

class FixedRandom : public RandomSource {
public:
    explicit FixedRandom(std::vector<float> draws) : draws_(std::move(draws)) {}
    void Seed(std::uint64_t seed) override { seeds.push_back(seed); }
    float NextUnit() override { return draws_[next_++ % draws_.size()]; }
    std::vector<std::uint64_t> seeds;

private:
    std::vector<float> draws_;
    std::size_t next_ = 0;
};

// Ticks on at every reading.
class FixedClock : public test::ManualClock {
public:
    std::uint64_t Ticks() const override { return ++counted; }
    mutable std::uint64_t counted = 100;
};

TEST(ShowRandomRemark, ReseedsFromTheClockAndMapsTheDrawOntoTheList) {
    MemorySettingsStore store;
    RaceSheet sheet(store);
    RemarkList remarks{"one", "two", "three"};
    FixedRandom random({0.0f, 0.34f, 0.9999999f});
    FixedClock clock;
    ShowRandomRemark(sheet, remarks, random, clock);
    EXPECT_EQ(sheet.StatusText(), "one");
    ShowRandomRemark(sheet, remarks, random, clock);
    EXPECT_EQ(sheet.StatusText(), "two");
    ShowRandomRemark(sheet, remarks, random, clock);
    EXPECT_EQ(sheet.StatusText(), "three");
    EXPECT_EQ(random.seeds, (std::vector<std::uint64_t>{101, 102, 103}));
}

TEST(ShowRandomRemark, EveryRemarkTurnsUpAndAnEmptyListLeavesTheStatus) {
    MemorySettingsStore store;
    RaceSheet sheet(store);
    StandardRandomSource random;
    FixedClock clock;
    ShowRandomRemark(sheet, {}, random, clock);
    EXPECT_EQ(sheet.StatusText(), "Ready");
    RemarkList remarks{"a", "b", "c"};
    std::set<std::string> seen;
    for (int draw = 0; draw < 200; ++draw) {
        ShowRandomRemark(sheet, remarks, random, clock);
        seen.insert(sheet.StatusText());
    }
    EXPECT_EQ(seen, (std::set<std::string>{"a", "b", "c"}));

    StandardRandomSource seeded;
    for (std::uint64_t seed = 0; seed < 200; ++seed) {
        seeded.Seed(seed);
        float u = seeded.NextUnit();
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
    }
}

} // namespace
} // namespace velmora
