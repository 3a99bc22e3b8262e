#pragma once

#include "settings/settings_store.h"

#include <optional>
#include <string>
#include <vector>

namespace velmora {

// A window's top-left corner in twips (1/1440 inch) from the screen's corner.
struct WindowPosition {
    float left = 0;
    float top = 0;
    bool operator==(const WindowPosition&) const = default;
};

inline constexpr float kTwipsPerInch = 1440.0f;

// The stored position of the window whose settings section is `section`.
// An absent key reads as its default; a stored text that is not a number, or
// a number no screen could hold, keeps the design position for that coordinate.
WindowPosition RestoreWindowPosition(const SettingsStore& store, const std::string& section,
                                     WindowPosition defaults, WindowPosition design);

// Stores left, then top, as decimal text; a minimised window stores nothing so
// the position from before minimising survives.
void StoreWindowPosition(SettingsStore& store, const std::string& section, WindowPosition position,
                         bool minimised);

// A window's size in twips, kept for the windows the user may resize.
struct WindowSize {
    float width = 0;
    float height = 0;
    bool operator==(const WindowSize&) const = default;
};

// The stored size under "Width" and "Height"; nothing when either is missing,
// not a number, not above 0 or larger than any screen.
std::optional<WindowSize> RestoreWindowSize(const SettingsStore& store, const std::string& section);
void StoreWindowSize(SettingsStore& store, const std::string& section, WindowSize size, bool minimised);

// A rectangle of screen pixels; right and bottom lie just outside it.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool operator==(const ScreenRect&) const = default;
};

// Where a tool window of `width` x `height` (its frame) opens beside its
// owner's frame on the available area `screen`, so the owner stays in sight:
// to its right when the screen has room there, else to its left, else below,
// else above, each first lined up with the owner's top or left edge; among
// sides with room, one that covers fewer of `others` (windows already open
// beside it) wins. Without room on any side it takes the place on the screen
// that covers least, the owner counting twice as much as the others. A window
// larger than the screen keeps its top-left corner on it.
ScreenRect PlaceBeside(const ScreenRect& owner, int width, int height, const ScreenRect& screen,
                       const std::vector<ScreenRect>& others = {});

} // namespace velmora
