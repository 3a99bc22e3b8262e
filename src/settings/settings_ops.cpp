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

} // namespace velmora
