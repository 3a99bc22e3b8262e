#include "engine/grades.h"

#include "common/conversions.h"
#include "sheet/race_sheet.h"

namespace velmora {
namespace {

// Lower bounds of the grades "A", "B" and "C"; anything below the last is "D".
struct Thresholds {
    float a;
    float b;
    float c;
};

constexpr Thresholds kWinOne{0.5f, 0.4f, 0.3f};
constexpr Thresholds kWinTwo{0.8f, 0.7f, 0.6f};
constexpr Thresholds kPlaceOne{0.3f, 0.2f, 0.1f};
constexpr Thresholds kPlaceTwo{0.5f, 0.4f, 0.3f};

const char* Grade(float figure, Thresholds thresholds) {
    if (figure >= thresholds.a) {
        return "A";
    }
    if (figure >= thresholds.b) {
        return "B";
    }
    if (figure >= thresholds.c) {
        return "C";
    }
    return "D";
}

struct Favourites {
    float first = 0.0f;    // support of the rank-1 runner
    float firstTwo = 0.0f; // rank 1 plus rank 2, in single precision
};

// The figures are read back from the texts so that the grades follow exactly
// from the rounded rates on the sheet.
Favourites ReadFavourites(const RaceSheet& sheet, Column rankColumn, Column ratioColumn) {
    float first = 0.0f;
    float second = 0.0f;
    const int n = sheet.GetRunnerCount();
    for (int i = 1; i <= n; ++i) {
        double rank = NumericValue(sheet.Text(rankColumn, i));
        if (rank == 1.0) {
            first = ToSingle(NumericValue(sheet.Text(ratioColumn, i)));
        } else if (rank == 2.0) {
            second = ToSingle(NumericValue(sheet.Text(ratioColumn, i)));
        }
    }
    return {first, first + second};
}

} // namespace

void RateReliability(RaceSheet& sheet) {
    Favourites win = ReadFavourites(sheet, Column::TanPopular, Column::TanRatio);
    Favourites place = ReadFavourites(sheet, Column::FukuPopular, Column::FukuRatio);
    sheet.SetRank(1, Grade(win.first, kWinOne));
    sheet.SetRank(2, Grade(win.firstTwo, kWinTwo));
    sheet.SetRank(3, Grade(place.first, kPlaceOne));
    sheet.SetRank(4, Grade(place.firstTwo, kPlaceTwo));
}

} // namespace velmora
