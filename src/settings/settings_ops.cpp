#include "settings/settings_ops.h"

#include "common/conversions.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace velmora {
namespace {
const std::string kOptionSection = "Option";
const std::string kColorSection = "Option\\PopularColor";

// The stored number when it is one and lies within [low, high], else nothing.
std::optional<double> StoredNumber(const SettingsStore& store, const std::string& key, double low,
                                   double high) {
    std::optional<std::string> stored = store.Read(kOptionSection, key);
    if (!stored || !IsNumericText(*stored)) {
        return std::nullopt;
    }
    double value = NumericValue(*stored);
    if (!(value >= low && value <= high)) {
        return std::nullopt;
    }
    return value;
}

// Two decimals are all the Options window shows and stores.
std::string FactorText(double factor) {
    return FormatFixed(factor, 2);
}
} // namespace

std::string DefaultPatFolder(const char* winePrefix, const char* home) {
    std::string prefix;
    if (winePrefix != nullptr && *winePrefix != '\0') {
        prefix = winePrefix;
    } else {
        prefix = std::string(home != nullptr ? home : "") + "/.wine";
    }
    while (prefix.size() > 1 && prefix.back() == '/') {
        prefix.pop_back();
    }
    return prefix + "/drive_c/Program Files/Pat98";
}

std::string DefaultPatFolder() {
    return DefaultPatFolder(std::getenv("WINEPREFIX"), std::getenv("HOME"));
}

std::string GetPatFolder(const SettingsStore& store) {
    std::string folder = store.Get(kOptionSection, "PatFolder", DefaultPatFolder());
    // No path holds a NUL: the system would see only the part before it.
    if (folder.find('\0') != std::string::npos) {
        folder = DefaultPatFolder();
    }
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

void SetPatFolder(SettingsStore& store, const std::string& folder) {
    store.Write(kOptionSection, "PatFolder", folder);
}

std::string PatFilePath(const SettingsStore& store, const std::string& fileName) {
    return GetPatFolder(store) + fileName;
}

bool GetAutoFollow(const SettingsStore& store) {
    return store.Read(kOptionSection, "AutoFollow").value_or("1") != "0";
}

void SetAutoFollow(SettingsStore& store, bool on) {
    store.Write(kOptionSection, "AutoFollow", on ? "1" : "0");
}

std::int32_t GetPopularColor(const SettingsStore& store, int rank) {
    // No entry reads as white, the default colour.
    std::optional<std::string> stored = store.Read(kColorSection, std::to_string(rank));
    if (!stored) {
        return kWhite;
    }
    const std::string& text = *stored;
    if (!IsNumericText(text)) {
        return kWhite;
    }
    double value = RoundHalfEven(NumericValue(text));
    if (value < 0 || value > kWhite) {
        return kWhite;
    }
    return static_cast<std::int32_t>(value);
}

void SetPopularColor(SettingsStore& store, int rank, std::int32_t color) {
    store.Write(kColorSection, std::to_string(rank), std::to_string(color));
}

double GetMoveFactor(const SettingsStore& store) {
    return StoredNumber(store, "MoveFactor", kMinFactor, kMaxFactor).value_or(kDefaultMoveFactor);
}

void SetMoveFactor(SettingsStore& store, double factor) {
    store.Write(kOptionSection, "MoveFactor", FactorText(factor));
}

int GetRankGap(const SettingsStore& store) {
    std::optional<double> gap = StoredNumber(store, "RankGap", kMinRankGap, kMaxRankGap);
    // A rank difference is whole; "2.5" is no setting this program wrote.
    if (!gap || *gap != std::floor(*gap)) {
        return kDefaultRankGap;
    }
    return static_cast<int>(*gap);
}

void SetRankGap(SettingsStore& store, int gap) {
    store.Write(kOptionSection, "RankGap", std::to_string(gap));
}

double GetQuinellaRatio(const SettingsStore& store) {
    return StoredNumber(store, "QuinellaRatio", kMinFactor, kMaxFactor).value_or(kDefaultQuinellaRatio);
}

void SetQuinellaRatio(SettingsStore& store, double ratio) {
    store.Write(kOptionSection, "QuinellaRatio", FactorText(ratio));
}

namespace {

// The relative luminance of a packed colour, as contrast is measured for text.
double Luminance(std::int32_t color) {
    auto channel = [color](int shift) {
        double c = ((color >> shift) & 0xFF) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(0) + 0.7152 * channel(8) + 0.0722 * channel(16);
}

// Packed (red + 256 green + 65536 blue) from 0xRRGGBB, lightened towards white by `share`.
std::int32_t Tint(std::int32_t rgb, double share) {
    auto channel = [rgb, share](int shift) {
        int c = (rgb >> shift) & 0xFF;
        return static_cast<std::int32_t>(std::lround(c + (255 - c) * share));
    };
    return channel(16) + 256 * channel(8) + 65536 * channel(0);
}

} // namespace

std::int32_t ReadableTextColor(std::int32_t background) {
    double light = Luminance(background);
    // Contrast ratios (L1 + 0.05) / (L2 + 0.05) against white and against black.
    return 1.05 / (light + 0.05) >= (light + 0.05) / 0.05 ? kWhite : kBlack;
}

std::array<std::int32_t, kPopularRanks> StandardPopularColors() {
    // Vermilion, orange, yellow, bluish green, sky blue, reddish purple.
    constexpr std::array<std::int32_t, 6> hues = {0xD55E00, 0xE69F00, 0xF0E442, 0x009E73, 0x56B4E9, 0xCC79A7};
    // Light blue, olive, mint, pear, pink, pale grey: apart from both rows above.
    constexpr std::array<std::int32_t, 6> lastRow = {0x77AADD, 0xAAAA00, 0x44BB99,
                                                     0xBBCC33, 0xFFAABB, 0xDDDDDD};
    std::array<std::int32_t, kPopularRanks> colors{};
    for (std::size_t i = 0; i < hues.size(); ++i) {
        colors[i] = Tint(hues[i], 0.0);
        colors[i + 6] = Tint(hues[i], 0.4);
        colors[i + 12] = Tint(lastRow[i], 0.0);
    }
    return colors;
}

} // namespace velmora
