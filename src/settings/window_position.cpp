#include "settings/window_position.h"

#include "common/conversions.h"

#include <cmath>

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

} // namespace

WindowPosition RestoreWindowPosition(const SettingsStore& store, const std::string& section,
                                     WindowPosition defaults, WindowPosition design) {
    return {ReadCoordinate(store, section, "Left", defaults.left, design.left),
            ReadCoordinate(store, section, "Top", defaults.top, design.top)};
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
