#include "patdata/file_naming.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(FileNaming, Filter) {
    EXPECT_EQ(GetOddsFileFilter(), "単複ｵｯｽﾞﾌｧｲﾙ (Zo-*.jra)|Zo-*.jra");
}

TEST(FileNaming, MatchesTheOddsFileMaskWithoutRegardToAsciiCase) {
    struct Case {
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"Zo-20240101.jra", true}, {"zo-1.JRA", true},   {"ZO-.jra", true},   {"Zo-東京.jra", true},
        {"Zo-a.jra.bak", false},   {"xZo-1.jra", false}, {"Uo-1.jra", false}, {"Zo-1.jr", false},
        {"Zo-jra", false},         {"Zo.jra", false},    {"", false},         {"Zo-1.jrb", false},
        {"Ｚo-1.jra", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesOddsFileMask(c.name), c.matches) << c.name;
    }
}

TEST(FileNaming, OnlyWinPlaceAndQuinellaOddsFilesAreOddsFiles) {
    EXPECT_EQ(OddsFileKindOf("Zo-06050211.jra"), OddsFileKind::WinPlace);
    EXPECT_EQ(OddsFileKindOf("zo-06050211.JRA"), OddsFileKind::WinPlace);
    EXPECT_EQ(OddsFileKindOf("Uo-06050211.jra"), OddsFileKind::Quinella);
    EXPECT_EQ(OddsFileKindOf("uO-06050211.Jra"), OddsFileKind::Quinella);
    for (const char* other :
         {"De-06050211.jra", "Ks-0000605.jra", "Uo-06050211.jra.tmp", "Uo-", "Zo-1.txt"}) {
        EXPECT_FALSE(OddsFileKindOf(other)) << other;
    }
}

TEST(FileNaming, EitherOddsFileNamesTheOtherInOneSpelling) {
    for (const char* name : {"Zo-06050211.jra", "zo-06050211.jra", "uO-06050211.jra"}) {
        EXPECT_EQ(OddsFileNameOfKind(name, OddsFileKind::WinPlace), "Zo-06050211.jra") << name;
        EXPECT_EQ(OddsFileNameOfKind(name, OddsFileKind::Quinella), "Uo-06050211.jra") << name;
    }
    EXPECT_EQ(OddsFileNameOfKind("Zo", OddsFileKind::Quinella), "Uo-");
}

TEST(FileNaming, ReplacesOnlyTheFirstZoOfTheFileNameNeverOfAFolder) {
    struct Case {
        const char* path;
        const char* entry;
        const char* quinella;
    };
    const Case cases[] = {
        {"C:/Program Files/Pat98/Zo-x.jra", "C:/Program Files/Pat98/De-x.jra",
         "C:/Program Files/Pat98/Uo-x.jra"},
        {"/pat/ZO-x.jra", "/pat/De-x.jra", "/pat/Uo-x.jra"},
        {"/Pat/zo-X.JRA", "/Pat/De-X.JRA", "/Pat/Uo-X.JRA"},
        {"/data/kazo-1/Zo-x.jra", "/data/kazo-1/De-x.jra", "/data/kazo-1/Uo-x.jra"},
        {"/data/KAZO-1/Zo-x.jra", "/data/KAZO-1/De-x.jra", "/data/KAZO-1/Uo-x.jra"},
        {"/data/zo-/x.jra", "", ""},
        {"/pat/Zo-zo-x.jra", "/pat/De-zo-x.jra", "/pat/Uo-zo-x.jra"},
        {"/パット/Zo-馬.jra", "/パット/De-馬.jra", "/パット/Uo-馬.jra"},
        {"/pat/Zo-", "/pat/De-", "/pat/Uo-"},
        {"Zo-x.jra", "De-x.jra", "Uo-x.jra"},
        {"/pat/x.jra", "", ""},
        {"/pat/z-o.jra", "", ""},
        {"/pat/Ｚｏ-x.jra", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetEntryFileName(c.path), c.entry) << c.path;
        EXPECT_EQ(GetQuinellaFileName(c.path), c.quinella) << c.path;
    }
}

} // namespace
} // namespace velmora
