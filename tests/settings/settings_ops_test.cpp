#include "settings/settings_ops.h"
#include "settings/window_position.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <string>

namespace velmora {
namespace {

TEST(PatFolder, DefaultsToThePat98FolderInsideTheWinePrefix) {
    EXPECT_EQ(DefaultPatFolder("/opt/prefix/", "/home/u"), "/opt/prefix/drive_c/Program Files/Pat98");
    EXPECT_EQ(DefaultPatFolder(nullptr, "/home/u"), "/home/u/.wine/drive_c/Program Files/Pat98");
    EXPECT_EQ(DefaultPatFolder("", "/home/u"), "/home/u/.wine/drive_c/Program Files/Pat98");
    MemorySettingsStore store;
    EXPECT_EQ(GetPatFolder(store), DefaultPatFolder() + "/");
}

TEST(PatFolder, AlwaysEndsInOneSeparator) {
    MemorySettingsStore store;
    SetPatFolder(store, "/data/pat");
    EXPECT_EQ(*store.Read("Option", "PatFolder"), "/data/pat"); // stored unchanged
    EXPECT_EQ(GetPatFolder(store), "/data/pat/");
    EXPECT_EQ(PatFilePath(store, "Zo-1.jra"), "/data/pat/Zo-1.jra");
    SetPatFolder(store, "/data/pat/");
    EXPECT_EQ(GetPatFolder(store), "/data/pat/");
    SetPatFolder(store, "  /spaced ");
    EXPECT_EQ(GetPatFolder(store), "  /spaced /");
    SetPatFolder(store, "");
    EXPECT_EQ(GetPatFolder(store), "/");
}

TEST(PatFolder, AFolderHoldingANulReadsAsTheDefault) {
    MemorySettingsStore store;
    SetPatFolder(store, std::string("/tmp\0/data/pat", 14));
    EXPECT_EQ(GetPatFolder(store), DefaultPatFolder() + "/");
    EXPECT_EQ(PatFilePath(store, "Zo-1.jra"), DefaultPatFolder() + "/Zo-1.jra");
}

TEST(PopularColor, UnsetRanksAndBadTextsAreWhite) {
    MemorySettingsStore store;
    for (int rank = 0; rank <= 18; ++rank) {
        EXPECT_EQ(GetPopularColor(store, rank), kWhite) << rank;
    }
    for (const std::string& bad :
         {std::string("red"), std::string(), std::string("-1"), std::string("16777216"), std::string("1e9"),
          std::string("12abc"), std::string("1e999"), std::string(100000, '9')}) {
        store.Write("Option\\PopularColor", "3", bad);
        EXPECT_EQ(GetPopularColor(store, 3), kWhite) << bad.substr(0, 20);
    }
    store.Write("Option\\PopularColor", "3", " 255 ");
    EXPECT_EQ(GetPopularColor(store, 3), 255);
    store.Write("Option\\PopularColor", "3", "254.5");
    EXPECT_EQ(GetPopularColor(store, 3), 254);
}

TEST(PopularColor, RoundTripsUnderTheBareRankKey) {
    MemorySettingsStore store;
    SetPopularColor(store, 7, 65280);
    EXPECT_EQ(*store.Read("Option\\PopularColor", "7"), "65280");
    EXPECT_FALSE(store.Read("Option\\PopularColor", "07"));
    EXPECT_EQ(GetPopularColor(store, 7), 65280);
}

// The contrast ratio of two packed colours, as measured for text.
double Contrast(std::int32_t a, std::int32_t b) {
    auto luminance = [](std::int32_t color) {
        double sum = 0;
        const double weights[] = {0.2126, 0.7152, 0.0722};
        for (int i = 0; i < 3; ++i) {
            double c = ((color >> (8 * i)) & 0xFF) / 255.0;
            sum += weights[i] * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return sum;
    };
    double x = luminance(a) + 0.05;
    double y = luminance(b) + 0.05;
    return std::max(x, y) / std::min(x, y);
}

TEST(PopularColor, TextIsBlackOrWhiteWhicheverReadsBetter) {
    EXPECT_EQ(ReadableTextColor(kWhite), kBlack);
    EXPECT_EQ(ReadableTextColor(kBlack), kWhite);
    EXPECT_EQ(ReadableTextColor(0x00FFFF), kBlack); // yellow
    EXPECT_EQ(ReadableTextColor(0x800000), kWhite); // navy
    // Mid grey, whose complement would be mid grey too, still reads.
    for (std::int32_t grey = 0; grey <= 255; grey += 5) {
        const std::int32_t color = grey * 0x010101;
        EXPECT_GE(Contrast(color, ReadableTextColor(color)), 4.5) << grey;
    }
}

TEST(PopularColor, TheStandardPaletteIsDistinctReadableAndLighterFurtherDown) {
    const auto colors = StandardPopularColors();
    EXPECT_EQ(colors[0], 0x005ED5); // vermilion, packed blue-green-red
    for (std::size_t i = 0; i < colors.size(); ++i) {
        EXPECT_NE(colors[i], kWhite) << "rank " << i + 1 << " must stand out from an unranked cell";
        EXPECT_GE(Contrast(colors[i], ReadableTextColor(colors[i])), 4.5) << "rank " << i + 1;
        for (std::size_t j = i + 1; j < colors.size(); ++j) {
            int distance = 0;
            for (int shift : {0, 8, 16}) {
                distance += std::abs(((colors[i] >> shift) & 0xFF) - ((colors[j] >> shift) & 0xFF));
            }
            EXPECT_GE(distance, 48) << "ranks " << i + 1 << " and " << j + 1;
        }
        // Each of the first six hues comes back lighter six ranks further down.
        if (i < 6) {
            EXPECT_GT(Contrast(colors[i + 6], kBlack), Contrast(colors[i], kBlack)) << "rank " << i + 7;
        }
    }
}

TEST(AutoFollow, OnUnlessTurnedOffAndStoredUnderOption) {
    MemorySettingsStore store;
    EXPECT_TRUE(GetAutoFollow(store));
    SetAutoFollow(store, false);
    EXPECT_EQ(*store.Read("Option", "AutoFollow"), "0");
    EXPECT_FALSE(GetAutoFollow(store));
    SetAutoFollow(store, true);
    EXPECT_TRUE(GetAutoFollow(store));
    store.Write("Option", "AutoFollow", "garbage");
    EXPECT_TRUE(GetAutoFollow(store));
}

TEST(WindowPosition, ReadsDefaultsStoredValuesAndKeepsDesignOnBadText) {
    MemorySettingsStore store;
    const WindowPosition defaults{1500, 1000};
    const WindowPosition design{42, 43};
    EXPECT_EQ(RestoreWindowPosition(store, "SelectFileWindow", defaults, design), defaults);
    store.Write("SelectFileWindow", "Left", "2880.5");
    store.Write("SelectFileWindow", "Top", "abc");
    EXPECT_EQ(RestoreWindowPosition(store, "SelectFileWindow", defaults, design),
              (WindowPosition{2880.5f, 43}));
}

TEST(WindowPosition, PositionsNoScreenCouldHoldKeepTheDesignPosition) {
    MemorySettingsStore store;
    const WindowPosition design{42, 43};
    for (const char* huge : {"1e39", "-1e39", "1e999", "-1e999", "3.4e38", "1e300", "-491506"}) {
        store.Write("MainWindow", "Left", huge);
        store.Write("MainWindow", "Top", huge);
        EXPECT_EQ(RestoreWindowPosition(store, "MainWindow", {1500, 1000}, design), design) << huge;
    }
    store.Write("MainWindow", "Left", "-491505");
    store.Write("MainWindow", "Top", "30000");
    EXPECT_EQ(RestoreWindowPosition(store, "MainWindow", {1500, 1000}, design),
              (WindowPosition{-491505, 30000}));
}

TEST(WindowPosition, MinimisedWindowsStoreNothing) {
    MemorySettingsStore store;
    StoreWindowPosition(store, "MainWindow", {1200, 900.5f}, false);
    EXPECT_EQ(*store.Read("MainWindow", "Left"), "1200");
    EXPECT_EQ(*store.Read("MainWindow", "Top"), "900.5");
    StoreWindowPosition(store, "MainWindow", {-32000, -32000}, true);
    EXPECT_EQ(*store.Read("MainWindow", "Left"), "1200");
    EXPECT_EQ(RestoreWindowPosition(store, "MainWindow", {1000, 1000}, {0, 0}),
              (WindowPosition{1200, 900.5f}));
}

TEST(MarkThresholds, DefaultsRoundTripAndStayOutOfOtherKeys) {
    MemorySettingsStore store;
    EXPECT_EQ(GetMoveFactor(store), 1.3);
    EXPECT_EQ(GetRankGap(store), 3);
    EXPECT_EQ(GetQuinellaRatio(store), 1.5);
    SetMoveFactor(store, 1.75);
    SetRankGap(store, 5);
    SetQuinellaRatio(store, 2.0);
    EXPECT_EQ(*store.Read("Option", "MoveFactor"), "1.75");
    EXPECT_EQ(*store.Read("Option", "QuinellaRatio"), "2.00");
    EXPECT_EQ(GetMoveFactor(store), 1.75);
    EXPECT_EQ(GetRankGap(store), 5);
    EXPECT_EQ(GetQuinellaRatio(store), 2.0);
    EXPECT_EQ(GetPatFolder(store), DefaultPatFolder() + "/");
}

TEST(MarkThresholds, StoredTextsOutsideTheirRangeReadAsTheDefault) {
    MemorySettingsStore store;
    // A factor of 1 or less would mark unchanged support, a gap of 0 every runner.
    for (const char* text : {"abc", "", "1", "0.5", "-1.3", "10.5", "1e999", "nan", "inf", "1.3x"}) {
        store.Write("Option", "MoveFactor", text);
        store.Write("Option", "QuinellaRatio", text);
        EXPECT_EQ(GetMoveFactor(store), 1.3) << text;
        EXPECT_EQ(GetQuinellaRatio(store), 1.5) << text;
    }
    for (const char* text : {"abc", "0", "-3", "18", "2.5", "1e9"}) {
        store.Write("Option", "RankGap", text);
        EXPECT_EQ(GetRankGap(store), 3) << text;
    }
    store.Write("Option", "RankGap", " 17 ");
    EXPECT_EQ(GetRankGap(store), 17);
    store.Write("Option", "MoveFactor", "10");
    EXPECT_EQ(GetMoveFactor(store), 10.0);
}

} // namespace
} // namespace velmora
