#include "settings/window_position.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// A 1280x1024 screen less a 30-pixel panel at the top, and a main window
// framed at 67,67, 835 x 560 pixels.
const ScreenRect kScreen{0, 30, 1280, 994};
const ScreenRect kMain{67, 67, 835, 560};

TEST(PlaceBeside, RightWhenThereIsRoomElseLeftElseBelow) {
    // Right of the owner, lined up with its top.
    EXPECT_EQ(PlaceBeside(kMain, 300, 400, kScreen), (ScreenRect{902, 67, 300, 400}));
    // Too wide for the right, room on the left.
    const ScreenRect movedRight{500, 67, 700, 560};
    EXPECT_EQ(PlaceBeside(movedRight, 450, 400, kScreen), (ScreenRect{50, 67, 450, 400}));
    // Room on neither side: below, lined up with its left edge.
    EXPECT_EQ(PlaceBeside(kMain, 520, 390, kScreen), (ScreenRect{67, 627, 520, 390}));
    // An owner low on the screen: the window goes above it.
    const ScreenRect low{67, 500, 835, 500};
    EXPECT_EQ(PlaceBeside(low, 520, 400, kScreen), (ScreenRect{67, 100, 520, 400}));
}

TEST(PlaceBeside, StaysOnTheScreenLinedUpWithTheOwnersFarEdgeWhereNeeded) {
    // Taller than the room below the owner's top: it rises to the screen's bottom.
    EXPECT_EQ(PlaceBeside(kMain, 300, 980, kScreen), (ScreenRect{902, 44, 300, 980}));
    // An owner near the right edge of the screen: below, within the screen.
    const ScreenRect nearRight{700, 40, 560, 400};
    EXPECT_EQ(PlaceBeside(nearRight, 800, 300, kScreen), (ScreenRect{480, 440, 800, 300}));
    // On a second screen to the right, all coordinates there.
    const ScreenRect second{1280, 0, 1920, 1200};
    EXPECT_EQ(PlaceBeside({1300, 20, 800, 500}, 400, 300, second), (ScreenRect{2100, 20, 400, 300}));
}

TEST(PlaceBeside, WithoutRoomAnywhereCoversTheOwnerLeastAndNeverLeavesTheScreen) {
    // 920 x 700 fits on no side of the main window: the least covering place.
    const ScreenRect placed = PlaceBeside(kMain, 920, 700, kScreen);
    EXPECT_GE(placed.left, kScreen.left);
    EXPECT_GE(placed.top, kScreen.top);
    EXPECT_LE(placed.Right(), kScreen.Right());
    EXPECT_LE(placed.Bottom(), kScreen.Bottom());
    EXPECT_EQ(placed, (ScreenRect{360, 324, 920, 700})); // below at the right, pushed up onto the screen
    // Larger than the screen: its top-left corner stays on it.
    EXPECT_EQ(PlaceBeside(kMain, 2000, 1500, kScreen), (ScreenRect{0, 30, 2000, 1500}));
}

TEST(PlaceBeside, AvoidsWindowsAlreadyOpenBesideTheOwner) {
    // The browser already sits below the main window, lined up on the left: a
    // second window goes right of the owner, or below at the screen's right edge.
    const ScreenRect browser{67, 627, 520, 390};
    EXPECT_EQ(PlaceBeside(kMain, 300, 390, kScreen, {browser}), (ScreenRect{902, 67, 300, 390}));
    EXPECT_EQ(PlaceBeside(kMain, 400, 390, kScreen, {browser}), (ScreenRect{880, 627, 400, 390}));
}

TEST(WindowSize, RoundTripsAndIgnoresMissingOrImpossibleSizes) {
    MemorySettingsStore store;
    EXPECT_FALSE(RestoreWindowSize(store, "OddsMovementWindow").has_value());
    StoreWindowSize(store, "OddsMovementWindow", {12300, 5700.5f}, false);
    EXPECT_EQ(RestoreWindowSize(store, "OddsMovementWindow"), (WindowSize{12300, 5700.5f}));
    StoreWindowSize(store, "OddsMovementWindow", {1, 1}, true); // minimised: nothing stored
    EXPECT_EQ(RestoreWindowSize(store, "OddsMovementWindow"), (WindowSize{12300, 5700.5f}));
    for (const char* bad : {"0", "-300", "abc", "1e30", ""}) {
        store.Write("OddsMovementWindow", "Height", bad);
        EXPECT_FALSE(RestoreWindowSize(store, "OddsMovementWindow").has_value()) << bad;
    }
}

} // namespace
} // namespace velmora
