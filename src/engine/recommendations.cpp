#include "engine/recommendations.h"

#include "common/conversions.h"
#include "common/messages.h"
#include "common/text.h"
#include "sheet/race_sheet.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace velmora {
namespace {

constexpr std::size_t kOddsWidth = 6;

enum class Ranking { Win, Place };

// Appends the number right-aligned in two characters.
void AppendTwoCharacterNumber(std::string& out, int number) {
    if (number < 10) {
        out += ' ';
    }
    char digits[12];
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, number);
    out.append(digits, error == std::errc() ? end : digits);
}

// The rank texts' values, read once for the whole list: the scans below ask
// for a rank's runner again and again, and no rank changes while they run.
class RankTable {
public:
    explicit RankTable(const RaceSheet& sheet)
        : runners_(std::clamp(sheet.GetRunnerCount(), 0, kMaxRunners)) {
        for (int i = 1; i <= runners_; ++i) {
            auto row = static_cast<std::size_t>(i);
            win_[row] = NumericValue(sheet.Text(Column::TanPopular, i));
            place_[row] = NumericValue(sheet.Text(Column::FukuPopular, i));
        }
    }

    int Runners() const { return runners_; }

    // The first runner, within the runner count, whose rank text reads as `rank`; 0 when none.
    int Find(Ranking ranking, int rank) const {
        const auto& values = ranking == Ranking::Win ? win_ : place_;
        for (int i = 1; i <= runners_; ++i) {
            if (values[static_cast<std::size_t>(i)] == static_cast<double>(rank)) {
                return i;
            }
        }
        return 0;
    }

private:
    int runners_;
    std::array<double, kMaxRunners + 1> win_{};
    std::array<double, kMaxRunners + 1> place_{};
};

Ranking Other(Ranking ranking) {
    return ranking == Ranking::Win ? Ranking::Place : Ranking::Win;
}

// Pairs the axis with the best-ranked partners of the partner ranking, up to
// `limit` new lines. A missing runner (0) pairs with nobody.
void Scan(RaceSheet& sheet, MessageSink& messages, const RankTable& ranks, int axis, Ranking partners,
          int limit, bool skipListed) {
    if (axis == 0) {
        return;
    }
    int emitted = 0;
    for (int r = 1; r <= ranks.Runners() && emitted < limit; ++r) {
        int partner = ranks.Find(partners, r);
        if (partner == axis || partner == 0) {
            continue;
        }
        if (skipListed && IsPairListed(sheet, axis, partner, messages)) {
            continue;
        }
        AddRecommendation(sheet, FormatPair(axis, partner, messages));
        ++emitted;
    }
}

// One favourite as axis: the runner of `rank` in `axisRanking`, partners from the other ranking.
void ScanFavourite(RaceSheet& sheet, MessageSink& messages, const RankTable& ranks, Ranking axisRanking,
                   int rank, int limit, bool skipListed) {
    Scan(sheet, messages, ranks, ranks.Find(axisRanking, rank), Other(axisRanking), limit, skipListed);
}

// A number of one or two digits, right-aligned in two characters.
std::optional<int> TwoCharacterNumber(std::string_view text) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.size() != 2 || !isDigit(text[1]) || !(text[0] == ' ' || isDigit(text[0]))) {
        return std::nullopt;
    }
    const int number = text[0] == ' ' ? text[1] - '0' : (text[0] - '0') * 10 + (text[1] - '0');
    return number >= 1 && number <= kMaxRunners ? std::optional<int>(number) : std::nullopt;
}

const PairOdds& CellOf(const QuinellaRecord& odds, int a, int b) {
    static const PairOdds kNoPair{};
    if (a < 1 || a > kMaxRunners || b < 1 || b > kMaxRunners) {
        return kNoPair; // no such pair in any file: shown blank
    }
    return odds.Cells[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
}

} // namespace

std::string FormatPair(int a, int b, MessageSink& messages) {
    if (a == b) {
        messages.ShowMessage(kSameRunnerMessage, kAppTitle, MessageIcon::None);
    }
    int low = std::min(a, b);
    int high = std::max(a, b);
    std::string text;
    AppendTwoCharacterNumber(text, low);
    text += '-';
    AppendTwoCharacterNumber(text, high);
    return text;
}

std::optional<RunnerPair> ParsePair(std::string_view text) {
    if (text.size() < 5 || text[2] != '-') {
        return std::nullopt;
    }
    const auto a = TwoCharacterNumber(text.substr(0, 2));
    const auto b = TwoCharacterNumber(text.substr(3, 2));
    if (!a || !b || *a >= *b) {
        return std::nullopt;
    }
    return RunnerPair{*a, *b};
}

bool IsPairListed(const RaceSheet& sheet, int a, int b, MessageSink& messages) {
    const std::string pair = FormatPair(a, b, messages);
    const auto& lines = sheet.Items(SheetList::Result);
    return std::find(lines.begin(), lines.end(), pair) != lines.end();
}

void AddRecommendation(RaceSheet& sheet, const std::string& pairText) {
    sheet.AddItem(SheetList::Result, pairText);
    if (sheet.sOddsFileName.empty()) {
        return;
    }
    const RunnerPair pair = ParsePair(pairText).value_or(RunnerPair{});
    const PairOdds& cell = CellOf(sheet.tUmaOdds, pair.first, pair.second);
    sheet.AddItem(SheetList::ResultUmaOdds, PadToWidth(cell.QuinellaOdds, kOddsWidth));
    sheet.AddItem(SheetList::ResultWideOdds, PadToWidth(cell.WideOddsMin, kOddsWidth) + kWideOddsSeparator +
                                                 PadToWidth(cell.WideOddsMax, kOddsWidth));
}

void ListRecommendations(RaceSheet& sheet, MessageSink& messages) {
    const std::string winOne = sheet.Rank(1);
    const std::string winTwo = sheet.Rank(2);
    const std::string placeOne = sheet.Rank(3);
    const std::string placeTwo = sheet.Rank(4);

    const RankTable ranks(sheet);
    if (winOne == "A") {
        // A clear favourite: it carries the whole list.
        ScanFavourite(sheet, messages, ranks, Ranking::Win, 1, 4, false);
        return;
    }
    // Trust the win pool's favourite only when the place pool does not back its own more firmly.
    const Ranking firstAxis = (winOne == "B" && placeOne != "A") ? Ranking::Win : Ranking::Place;
    const Ranking secondAxis = (winTwo == "B" && placeTwo != "A") ? Ranking::Win : Ranking::Place;

    ScanFavourite(sheet, messages, ranks, firstAxis, 1, 4, false);
    ScanFavourite(sheet, messages, ranks, secondAxis, 2, 3, true);
    ScanFavourite(sheet, messages, ranks, Other(firstAxis), 1, 1, true);
    ScanFavourite(sheet, messages, ranks, Other(secondAxis), 2, 1, true);
}

} // namespace velmora
