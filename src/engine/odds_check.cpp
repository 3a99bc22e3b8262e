#include "engine/odds_check.h"

#include "common/conversions.h"

namespace velmora {
namespace {

constexpr std::size_t kRunnersNamed = 6;

bool IsAcceptedOdds(const std::string& text) {
    if (!IsNumericText(text)) {
        return false;
    }
    double value = NumericValue(text);
    return value > 0.0 && value <= kMaxOdds;
}

std::string_view FieldName(Column column) {
    switch (column) {
    case Column::FukuOddsMin:
        return "複ｵｯｽﾞMin";
    case Column::FukuOddsMax:
        return "複ｵｯｽﾞMax";
    default:
        return "単ｵｯｽﾞ";
    }
}

} // namespace

std::vector<RefusedOdds> FindRefusedOdds(const RaceSheet& sheet) {
    std::vector<RefusedOdds> refused;
    const int n = sheet.GetRunnerCount();
    for (int row = 1; row <= n; ++row) {
        if (sheet.IsScratched(row)) {
            continue;
        }
        for (Column column : {Column::TanOdds, Column::FukuOddsMin, Column::FukuOddsMax}) {
            if (!IsAcceptedOdds(sheet.Text(column, row))) {
                refused.push_back({row, column});
            }
        }
    }
    return refused;
}

std::string RefusedOddsPlaces(const std::vector<RefusedOdds>& refused) {
    std::string places;
    std::size_t runners = 0;
    int previousRow = 0;
    for (const RefusedOdds& field : refused) {
        if (field.row != previousRow) {
            ++runners;
            previousRow = field.row;
            if (runners > kRunnersNamed) {
                continue;
            }
            places += (runners > 1 ? "、" : "") + std::to_string(field.row) + "番の";
        } else if (runners <= kRunnersNamed) {
            places += "・";
        }
        if (runners <= kRunnersNamed) {
            places += FieldName(field.column);
        }
    }
    if (runners > kRunnersNamed) {
        places += "、ほか" + std::to_string(runners - kRunnersNamed) + "頭のｵｯｽﾞ";
    }
    return places;
}

std::string RefusedOddsMessage(const std::vector<RefusedOdds>& refused) {
    return RefusedOddsPlaces(refused) + "が正しくありません。取消の馬は ﾄﾘｹｼ と入力してください。";
}

} // namespace velmora
