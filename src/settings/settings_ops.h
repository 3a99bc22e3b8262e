#pragma once

#include "settings/settings_store.h"

#include <array>
#include <cstdint>
#include <string>

namespace velmora {

inline constexpr std::int32_t kWhite = 16777215;
inline constexpr std::int32_t kBlack = 0;

// The PAT software's folder inside the Wine prefix ($WINEPREFIX, else ~/.wine).
std::string DefaultPatFolder(const char* winePrefix, const char* home);
std::string DefaultPatFolder(); // from the environment

// The PAT folder as last confirmed, always ending in "/".
std::string GetPatFolder(const SettingsStore& store);
void SetPatFolder(SettingsStore& store, const std::string& folder);
std::string PatFilePath(const SettingsStore& store, const std::string& fileName);

// Whether the main window follows the shown race's files as they change; on
// unless the user turned it off ("0"). Any other stored text reads as on.
bool GetAutoFollow(const SettingsStore& store);
void SetAutoFollow(SettingsStore& store, bool on);

// Colour of a popularity rank; white when none is stored or the stored text is
// not a colour (not a number, or outside 0 ... 16777215).
std::int32_t GetPopularColor(const SettingsStore& store, int rank);
void SetPopularColor(SettingsStore& store, int rank, std::int32_t color);

// Thresholds of the odds-movement and anomaly marks. A stored value that is not
// a number or lies outside its range reads as the default.
inline constexpr double kDefaultMoveFactor = 1.3;    // support risen or fallen by this factor
inline constexpr int kDefaultRankGap = 3;            // win and place rank this far apart
inline constexpr double kDefaultQuinellaRatio = 1.5; // pair bought this many times its model share
inline constexpr double kMinFactor = 1.01;
inline constexpr double kMaxFactor = 10.0;
inline constexpr int kMinRankGap = 1;
inline constexpr int kMaxRankGap = 17;

double GetMoveFactor(const SettingsStore& store);
void SetMoveFactor(SettingsStore& store, double factor);
int GetRankGap(const SettingsStore& store);
void SetRankGap(SettingsStore& store, int gap);
double GetQuinellaRatio(const SettingsStore& store);
void SetQuinellaRatio(SettingsStore& store, double ratio);

// Text colour on a coloured cell: black or white, whichever contrasts more
// with the background, so that any colour leaves the rank readable.
std::int32_t ReadableTextColor(std::int32_t background);

// A palette for ranks 1 to 18 that new users can take in the Options window:
// the six hues that colour-blind eyes tell apart best (the Okabe-Ito set) for
// ranks 1 to 6, the same lightened for 7 to 12, and six of Paul Tol's light
// colours for 13 to 18. Each differs clearly from the others and from white.
inline constexpr int kPopularRanks = 18;
std::array<std::int32_t, kPopularRanks> StandardPopularColors();

} // namespace velmora
