#include "settings/window_position.h"

#include "common/conversions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace velmora {
namespace {

// Far beyond any desktop (32,767 pixels at 96 dpi), yet well inside what
// converts to whole pixels at any screen density.
constexpr double kMaxCoordinateTwips = 32767.0 * 15.0;

float ReadCoordinate(const SettingsStore& store, const std::string& section, const std::string& key,
                     float defaultValue, float designValue) {
    std::string text = store.Get(section, key, FormatSingle(defaultValue));
    if (!IsNumericText(text)) {
        return designValue;
    }
    double value = NumericValue(text);
    if (!std::isfinite(value) || std::fabs(value) > kMaxCoordinateTwips) {
        return designValue;
    }
    return ToSingle(value);
}

std::optional<float> ReadLength(const SettingsStore& store, const std::string& section,
                                const std::string& key) {
    std::optional<std::string> text = store.Read(section, key);
    if (!text || !IsNumericText(*text)) {
        return std::nullopt;
    }
    double value = NumericValue(*text);
    if (!std::isfinite(value) || value <= 0 || value > kMaxCoordinateTwips) {
        return std::nullopt;
    }
    return ToSingle(value);
}

std::int64_t Overlap(const ScreenRect& a, const ScreenRect& b) {
    std::int64_t w = std::min(a.Right(), b.Right()) - std::max(a.left, b.left);
    std::int64_t h = std::min(a.Bottom(), b.Bottom()) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

bool Inside(const ScreenRect& rect, const ScreenRect& screen) {
    return rect.left >= screen.left && rect.top >= screen.top && rect.Right() <= screen.Right() &&
           rect.Bottom() <= screen.Bottom();
}

// Along one axis: onto the screen, or its start on it when it is longer.
int Clamp(int start, int length, int screenStart, int screenLength) {
    return std::max(screenStart, std::min(start, screenStart + screenLength - length));
}

} // namespace

WindowPosition RestoreWindowPosition(const SettingsStore& store, const std::string& section,
                                     WindowPosition defaults, WindowPosition design) {
    return {ReadCoordinate(store, section, "Left", defaults.left, design.left),
            ReadCoordinate(store, section, "Top", defaults.top, design.top)};
}

std::optional<WindowSize> RestoreWindowSize(const SettingsStore& store, const std::string& section) {
    std::optional<float> width = ReadLength(store, section, "Width");
    std::optional<float> height = ReadLength(store, section, "Height");
    if (!width || !height) {
        return std::nullopt;
    }
    return WindowSize{*width, *height};
}

void StoreWindowSize(SettingsStore& store, const std::string& section, WindowSize size, bool minimised) {
    if (minimised) {
        return;
    }
    store.Write(section, "Width", FormatSingle(size.width));
    store.Write(section, "Height", FormatSingle(size.height));
}

ScreenRect PlaceBeside(const ScreenRect& owner, int width, int height, const ScreenRect& screen,
                       const std::vector<ScreenRect>& others) {
    // In order of preference: each side lined up with the owner's near edge,
    // then its far edge, then the screen's two edges.
    auto top = [&](int wanted) { return Clamp(wanted, height, screen.top, screen.height); };
    auto left = [&](int wanted) { return Clamp(wanted, width, screen.left, screen.width); };
    const std::array<int, 4> tops = {top(owner.top), top(owner.Bottom() - height), screen.top,
                                     screen.Bottom() - height};
    const std::array<int, 4> lefts = {left(owner.left), left(owner.Right() - width), screen.left,
                                      screen.Right() - width};
    std::vector<ScreenRect> sides;
    for (int y : tops) {
        sides.push_back({owner.Right(), y, width, height});
    }
    for (int y : tops) {
        sides.push_back({owner.left - width, y, width, height});
    }
    for (int x : lefts) {
        sides.push_back({x, owner.Bottom(), width, height});
    }
    for (int x : lefts) {
        sides.push_back({x, owner.top - height, width, height});
    }
    ScreenRect best;
    std::int64_t bestOwner = -1;
    std::int64_t bestOthers = 0;
    bool bestWhole = false;
    for (const ScreenRect& side : sides) {
        const bool whole = Inside(side, screen);
        const ScreenRect placed{Clamp(side.left, width, screen.left, screen.width),
                                Clamp(side.top, height, screen.top, screen.height), width, height};
        const std::int64_t onOwner = Overlap(placed, owner);
        std::int64_t onOthers = 0;
        for (const ScreenRect& other : others) {
            onOthers += Overlap(placed, other);
        }
        // A side with room wins over any that needed moving; then the owner
        // covered least, then the other windows.
        const bool better =
            bestOwner < 0 || (whole && !bestWhole) ||
            (whole == bestWhole && (onOwner < bestOwner || (onOwner == bestOwner && onOthers < bestOthers)));
        if (better) {
            best = placed;
            bestOwner = onOwner;
            bestOthers = onOthers;
            bestWhole = whole;
        }
    }
    return best;
}

void StoreWindowPosition(SettingsStore& store, const std::string& section, WindowPosition position,
                         bool minimised) {
    if (minimised) {
        return;
    }
    store.Write(section, "Left", FormatSingle(position.left));
    store.Write(section, "Top", FormatSingle(position.top));
}

} // namespace velmora
