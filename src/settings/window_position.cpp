#include "settings/window_position.h"

#include "common/conversions.h"

namespace velmora {
namespace {

float ReadCoordinate(const SettingsStore& store, const std::string& section, const std::string& key,
                     float defaultValue, float designValue) {
    std::string text = store.Get(section, key, FormatSingle(defaultValue));
    if (!IsNumericText(text)) {
        return designValue;
    }
    return ToSingle(NumericValue(text));
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
