#pragma once

#include "settings/settings_store.h"

#include <string>

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

} // namespace velmora
