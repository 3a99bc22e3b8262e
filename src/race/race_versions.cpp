#include "race/race_versions.h"

#include "race/race_figures_of.h"

#include <string_view>

namespace velmora {

std::vector<FiguresAt> FiguresOfVersions(const std::vector<OddsVersion>& versions) {
    std::vector<FiguresAt> states;
    std::string_view quinella;
    for (std::size_t i = 0; i < versions.size(); ++i) {
        if (versions[i].kind == OddsFileKind::Quinella) {
            quinella = versions[i].bytes;
            continue;
        }
        RaceFigures figures = FiguresOfOddsBytes(versions[i].bytes, quinella);
        if (!figures.runners.empty()) {
            states.push_back({static_cast<int>(i), std::move(figures)});
        }
    }
    return states;
}

} // namespace velmora
