#pragma once

#include "common/clock.h"
#include "common/messages.h"
#include "common/random.h"
#include "settings/settings_store.h"
#include "sheet/race_sheet.h"
#include "shell/remarks.h"
#include "shell/services.h"
#include "support/manual_clock.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::test {

class SteadyRandom : public RandomSource {
public:
    void Seed(std::uint64_t seed) override { seeds.push_back(seed); }
    float NextUnit() override { return draw; }
    float draw = 0.5f;
    std::vector<std::uint64_t> seeds;
};

class SteadyClock : public ManualClock {
public:
    SteadyClock() { ticks = 4242; }
};

// Win odds, lower and upper place odds of one runner row, as typed.
using OddsRow = std::array<std::string, 3>;

// A race sheet with recording services around it, for driving the commands.
struct EngineHarness {
    MemorySettingsStore settings;
    RecordingMessageSink messages;
    SteadyRandom random;
    SteadyClock clock;
    RemarkList remarks{"first remark", "second remark"};
    RaceSheet sheet{settings};
    Services services{settings, messages, random, clock, remarks};

    // Sets the runner count to the number of rows and types their odds.
    void TypeRace(const std::vector<OddsRow>& rows) {
        sheet.SetHorseNumText(std::to_string(rows.size()));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            int row = static_cast<int>(i) + 1;
            sheet.SetText(Column::TanOdds, row, rows[i][0]);
            sheet.SetText(Column::FukuOddsMin, row, rows[i][1]);
            sheet.SetText(Column::FukuOddsMax, row, rows[i][2]);
        }
    }

    // The texts of rows 1 ... count of one column.
    std::vector<std::string> ColumnTexts(Column column, int count) const {
        std::vector<std::string> texts;
        for (int i = 1; i <= count; ++i) {
            texts.push_back(sheet.Text(column, i));
        }
        return texts;
    }

    std::vector<std::string> Grades() const {
        return {sheet.Rank(1), sheet.Rank(2), sheet.Rank(3), sheet.Rank(4)};
    }
};

// The race worked through by hand: win, lower and upper place odds of runners 1 ... 8.
inline const std::vector<OddsRow>& WorkedRace() {
    static const std::vector<OddsRow> rows = {
        {"3.6", "1.5", "2.2"},  {"5.1", "1.2", "1.6"},  {"2.2", "1.1", "1.4"},  {"11.5", "2.7", "4.4"},
        {"15.5", "2.5", "4.1"}, {"26.2", "3.4", "5.6"}, {"27.0", "2.8", "4.6"}, {"100", "10", "10"},
    };
    return rows;
}

} // namespace velmora::test
