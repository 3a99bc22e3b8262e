#include "pat_fixture.h"

#include "common/conversions.h"
#include "common/cp932.h"
#include "common/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace velmora::patfixture {
namespace {

constexpr int kMaxRunners = 18;
constexpr std::size_t kResultFinishers = 7;

// Takeout rates of the pools: what the public's odds return per unit staked.
constexpr double kWinReturn = 0.80;
constexpr double kPlaceReturn = 0.80;
constexpr double kPairReturn = 0.775;

// Collects one file's bytes field by field, refusing anything that would not fit.
class FieldWriter {
public:
    explicit FieldWriter(std::string fileName) : fileName_(std::move(fileName)) {}

    // Names and captions: padded on the right.
    void Text(std::string_view text, std::size_t width, std::string_view what) {
        std::string encoded = Encode(text, width, what);
        bytes_ += encoded;
        bytes_.append(width - encoded.size(), ' ');
    }

    // Numbers and odds: padded on the left.
    void Number(std::string_view text, std::size_t width, std::string_view what) {
        std::string encoded = Encode(text, width, what);
        bytes_.append(width - encoded.size(), ' ');
        bytes_ += encoded;
    }
    void Number(int value, std::size_t width, std::string_view what) {
        Number(std::to_string(value), width, what);
    }

    std::string Take() { return std::move(bytes_); }

private:
    std::string Encode(std::string_view text, std::size_t width, std::string_view what) const {
        std::string encoded;
        if (!EncodeCp932(text, encoded)) {
            throw FixtureError(fileName_ + ": " + std::string(what) + " \"" + std::string(text) +
                               "\" has no Shift-JIS form");
        }
        if (encoded.size() > width) {
            throw FixtureError(fileName_ + ": " + std::string(what) + " \"" + std::string(text) +
                               "\" needs " + std::to_string(encoded.size()) + " bytes, the field has " +
                               std::to_string(width));
        }
        return encoded;
    }

    std::string fileName_;
    std::string bytes_;
};

std::string TwoDigits(int value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

// Odds as the PAT software shows them: one decimal, whole numbers once they
// would not fit the field any more.
std::string FormatOdds(double odds, std::size_t width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", odds);
    if (std::string_view(buffer).size() > width) {
        std::snprintf(buffer, sizeof buffer, "%.0f", std::floor(odds));
    }
    return buffer;
}

// Odds are cut, not rounded, to ten yen per hundred, and never fall below 1.0.
double CutOdds(double odds) {
    return std::max(1.0, std::floor(odds * 10.0 + 1e-9) / 10.0);
}

std::string YenOf(double odds) {
    return std::to_string(std::lround(odds * 10.0) * 10);
}

std::string PairKey(int a, int b) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%2d-%2d", std::min(a, b), std::max(a, b));
    return buffer;
}

int RunnerCountOf(const Race& race) {
    int n = static_cast<int>(race.runners.size());
    if (n > kMaxRunners) {
        throw FixtureError("a race has at most 18 runners, this one " + std::to_string(n));
    }
    return n;
}

const Runner& RunnerAt(const Race& race, int number) {
    if (number < 1 || number > static_cast<int>(race.runners.size())) {
        throw FixtureError("no runner " + std::to_string(number) + " in this race");
    }
    return race.runners[static_cast<std::size_t>(number - 1)];
}

// The win odds value of a runner, or 0 when it does not run.
double WinValue(const Runner& runner) {
    if (!IsNumericText(runner.winOdds)) {
        return 0.0;
    }
    double value = NumericValue(runner.winOdds);
    return value > 0.0 ? value : 0.0;
}

bool Runs(const Runner& runner) {
    return WinValue(runner) > 0.0;
}

int StarterCount(const Race& race) {
    return static_cast<int>(std::count_if(race.runners.begin(), race.runners.end(), Runs));
}

// Chances of finishing first, from the win odds (index 0 unused).
std::vector<double> WinChances(const Race& race) {
    std::vector<double> chances(race.runners.size() + 1, 0.0);
    double total = 0.0;
    for (std::size_t i = 0; i < race.runners.size(); ++i) {
        double value = WinValue(race.runners[i]);
        chances[i + 1] = value > 0.0 ? 1.0 / value : 0.0;
        total += chances[i + 1];
    }
    if (total > 0.0) {
        for (double& chance : chances) {
            chance /= total;
        }
    }
    return chances;
}

// Ordered finishing chances on the usual model: each next place goes to the
// remaining runners in proportion to their win chances.
struct FinishModel {
    std::vector<double> p;

    double Next(double taken, int runner) const {
        double rest = 1.0 - taken;
        return rest > 1e-12 ? p[static_cast<std::size_t>(runner)] / rest : 0.0;
    }
    double Ordered(int a, int b) const {
        return p[static_cast<std::size_t>(a)] * Next(p[static_cast<std::size_t>(a)], b);
    }
    double Ordered(int a, int b, int c) const {
        return Ordered(a, b) * Next(p[static_cast<std::size_t>(a)] + p[static_cast<std::size_t>(b)], c);
    }
    int Count() const { return static_cast<int>(p.size()) - 1; }

    double BothInFirstTwo(int a, int b) const { return Ordered(a, b) + Ordered(b, a); }
    double BothInFirstThree(int a, int b) const {
        double sum = BothInFirstTwo(a, b);
        for (int c = 1; c <= Count(); ++c) {
            if (c != a && c != b) {
                sum += Ordered(a, c, b) + Ordered(b, c, a) + Ordered(c, a, b) + Ordered(c, b, a);
            }
        }
        return sum;
    }
    double InFirst(int runner, int places) const {
        double sum = p[static_cast<std::size_t>(runner)];
        for (int a = 1; a <= Count(); ++a) {
            if (a == runner) {
                continue;
            }
            sum += Ordered(a, runner);
            if (places < 3) {
                continue;
            }
            for (int b = 1; b <= Count(); ++b) {
                if (b != a && b != runner) {
                    sum += Ordered(a, b, runner);
                }
            }
        }
        return sum;
    }
};

FinishModel ModelOf(const Race& race) {
    return FinishModel{WinChances(race)};
}

int PaidPlaces(const Race& race) {
    return StarterCount(race) <= 7 ? 2 : 3;
}

} // namespace

// The range the place odds of a runner are shown in.
std::pair<std::string, std::string> DerivedPlaceOdds(const Race& race, int number) {
    const Runner& runner = RunnerAt(race, number);
    if (!Runs(runner)) {
        return {runner.winOdds, runner.winOdds};
    }
    double chance = ModelOf(race).InFirst(number, PaidPlaces(race));
    double fair = chance > 0.0 ? kPlaceReturn / chance : 999.9;
    double low = CutOdds(fair * 0.75);
    double high = std::max(low, CutOdds(fair * 1.35));
    return {FormatOdds(low, 5), FormatOdds(high, 5)};
}

std::string DividedOdds(const std::string& odds, double factor, std::size_t width) {
    return FormatOdds(CutOdds(NumericValue(odds) / factor), width);
}

namespace {

std::pair<std::string, std::string> PlaceOddsOf(const Race& race, int number) {
    const Runner& runner = RunnerAt(race, number);
    auto derived = DerivedPlaceOdds(race, number);
    return {runner.placeOddsMin.empty() ? derived.first : runner.placeOddsMin,
            runner.placeOddsMax.empty() ? derived.second : runner.placeOddsMax};
}

PairCell CellOf(const Race& race, int i, int j) {
    auto found = race.pairs.find({i, j});
    return found != race.pairs.end() ? found->second : DerivedPairCell(race, i, j);
}

std::string HorseNameOf(const Race& race, int number) {
    const Runner& runner = RunnerAt(race, number);
    if (!runner.horseName.empty()) {
        return runner.horseName;
    }
    static constexpr const char* kDigits[] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    std::string name = "ウマ";
    if (number >= 10) {
        name += kDigits[number / 10];
    }
    return name + kDigits[number % 10];
}

std::string JockeyOf(const Race& race, int number) {
    const Runner& runner = RunnerAt(race, number);
    if (!runner.jockey.empty()) {
        return runner.jockey;
    }
    static constexpr const char* kJockeys[] = {"佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺"};
    return kJockeys[(number - 1) % 6];
}

// The bracket of each horse number (index 0 unused): one horse per bracket up
// to eight runners, otherwise the highest brackets take the extra horses.
std::vector<int> Brackets(int runners) {
    std::vector<int> bracketOf(static_cast<std::size_t>(runners) + 1, 0);
    if (runners <= 8) {
        for (int i = 1; i <= runners; ++i) {
            bracketOf[static_cast<std::size_t>(i)] = i;
        }
        return bracketOf;
    }
    int base = runners / 8;
    int extra = runners % 8;
    int number = 1;
    for (int bracket = 1; bracket <= 8; ++bracket) {
        int size = base + (bracket > 8 - extra ? 1 : 0);
        for (int k = 0; k < size; ++k) {
            bracketOf[static_cast<std::size_t>(number++)] = bracket;
        }
    }
    return bracketOf;
}

void HeaderFields(FieldWriter& out, const Race& race, std::string_view runnerCount) {
    out.Text(race.date, 8, "date");
    out.Text(race.oddsTime, 8, "odds time");
    out.Text(race.courseCode, 2, "course code");
    out.Text(race.date, 8, "race date");
    out.Text("00", 2, "header field 5");
    out.Text(race.courseName, 4, "course name");
    out.Text(race.date.substr(0, 4), 4, "year");
    out.Number(race.meetingNo, 2, "meeting number");
    out.Number(race.meetingDay, 2, "meeting day");
    out.Number(race.raceNo, 2, "race number");
    out.Text("0", 1, "header field 11");
    out.Text(race.formatMarker, 1, "format marker");
    out.Text(race.postTime, 4, "post time");
    out.Text(race.raceName, 28, "race name");
    out.Text(race.conditions, 64, "conditions");
    out.Number(runnerCount, 2, "runner count");
}

std::string CountText(const std::string& given, const Race& race) {
    return given.empty() ? std::to_string(RunnerCountOf(race)) : given;
}

int TenthsOf(std::string_view time) {
    int minutes = 0, seconds = 0, tenths = 0;
    std::string text(time);
    if (std::sscanf(text.c_str(), "%d.%d.%d", &minutes, &seconds, &tenths) != 3) {
        throw FixtureError("a winner's time is written m.ss.t, not \"" + text + "\"");
    }
    return (minutes * 60 + seconds) * 10 + tenths;
}

std::string TimeText(int tenths) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d.%02d.%d", tenths / 600, tenths / 10 % 60, tenths % 10);
    return buffer;
}

std::vector<Finisher> DerivedFinishers(const Race& race, const std::vector<int>& order,
                                       const Result& result) {
    std::vector<Finisher> finishers;
    int tenths = TenthsOf(result.winnerTime);
    for (std::size_t k = 0; k < order.size() && k < kResultFinishers; ++k) {
        int number = order[k];
        if (k > 0) {
            tenths += static_cast<int>(k * 5 % 4); // small, uneven gaps
        }
        finishers.push_back({std::to_string(k + 1), std::to_string(number), HorseNameOf(race, number),
                             TimeText(tenths), JockeyOf(race, number)});
    }
    return finishers;
}

Payoff RangePayoff(std::string key, const std::string& low, const std::string& high) {
    // The final payoff lies inside the range shown before the race.
    double a = NumericValue(low);
    double b = std::max(a, NumericValue(high));
    return {std::move(key), YenOf(CutOdds(a + (b - a) * 0.4))};
}

std::vector<Payoff> DerivedPlacePayoffs(const Race& race, const std::vector<int>& order) {
    std::vector<Payoff> payoffs;
    int places = std::min(PaidPlaces(race), static_cast<int>(order.size()));
    for (int k = 0; k < places; ++k) {
        int number = order[static_cast<std::size_t>(k)];
        auto range = PlaceOddsOf(race, number);
        payoffs.push_back(RangePayoff(std::to_string(number), range.first, range.second));
    }
    return payoffs;
}

std::vector<Payoff> DerivedWidePayoffs(const Race& race, const std::vector<int>& order) {
    std::vector<Payoff> payoffs;
    int places = std::min(PaidPlaces(race), static_cast<int>(order.size()));
    for (int a = 0; a < places; ++a) {
        for (int b = a + 1; b < places; ++b) {
            int i = std::min(order[static_cast<std::size_t>(a)], order[static_cast<std::size_t>(b)]);
            int j = std::max(order[static_cast<std::size_t>(a)], order[static_cast<std::size_t>(b)]);
            PairCell cell = CellOf(race, i, j);
            payoffs.push_back(RangePayoff(PairKey(i, j), cell.wideMin, cell.wideMax));
        }
    }
    return payoffs;
}

std::vector<Payoff> DerivedBracketPayoffs(const Race& race, const std::vector<int>& order) {
    if (order.size() < 2) {
        return {};
    }
    int n = RunnerCountOf(race);
    std::vector<int> bracketOf = Brackets(n);
    int first = bracketOf[static_cast<std::size_t>(order[0])];
    int second = bracketOf[static_cast<std::size_t>(order[1])];
    int low = std::min(first, second);
    int high = std::max(first, second);
    FinishModel model = ModelOf(race);
    double chance = 0.0;
    for (int i = 1; i <= n; ++i) {
        for (int j = i + 1; j <= n; ++j) {
            int bi = bracketOf[static_cast<std::size_t>(i)];
            int bj = bracketOf[static_cast<std::size_t>(j)];
            if (std::min(bi, bj) == low && std::max(bi, bj) == high) {
                chance += model.BothInFirstTwo(i, j);
            }
        }
    }
    double odds = chance > 0.0 ? CutOdds(kPairReturn / chance) : 1.0;
    return {{std::to_string(low) + "-" + std::to_string(high), YenOf(odds)}};
}

void PayoffTable(FieldWriter& out, const std::vector<Payoff>& entries, std::size_t size, std::size_t keyWidth,
                 std::string_view what) {
    if (entries.size() > size) {
        throw FixtureError("the result file holds at most " + std::to_string(size) + " " + std::string(what) +
                           " payoffs");
    }
    for (std::size_t k = 0; k < size; ++k) {
        Payoff entry = k < entries.size() ? entries[k] : Payoff{};
        out.Number(entry.key, keyWidth, std::string(what) + " key");
        out.Number(entry.amount, 8, std::string(what) + " payoff");
    }
}

void CheckFileId(const Race& race) {
    std::string id = race.fileId.empty() ? std::string("x") : race.fileId;
    if (id.find('/') != std::string::npos || id.find('\\') != std::string::npos) {
        throw FixtureError("a file id is a bare name, not \"" + id + "\"");
    }
}

std::string FileId(const Race& race) {
    CheckFileId(race);
    if (!race.fileId.empty()) {
        return race.fileId;
    }
    return race.courseCode + TwoDigits(race.meetingNo) + TwoDigits(race.meetingDay) + TwoDigits(race.raceNo) +
           ".jra";
}

} // namespace

std::vector<Runner> RunnersWithOdds(const std::vector<std::string>& winOdds) {
    std::vector<Runner> runners;
    for (const std::string& odds : winOdds) {
        runners.push_back(Runner{odds, {}, {}, {}, {}});
    }
    return runners;
}

std::string OddsFileName(const Race& race) {
    return "Zo-" + FileId(race);
}
std::string QuinellaFileName(const Race& race) {
    return "Uo-" + FileId(race);
}
std::string EntryFileName(const Race& race) {
    return "De-" + FileId(race);
}

std::string ResultFileName(const Race& race) {
    std::string id = FileId(race);
    return "Ks-" + id.substr(0, 1) + race.resultInfix + id.substr(1);
}

PairCell DerivedPairCell(const Race& race, int i, int j) {
    const Runner& a = RunnerAt(race, i);
    const Runner& b = RunnerAt(race, j);
    if (!Runs(a) || !Runs(b)) {
        std::string marker(kScratched);
        return {marker, marker, marker};
    }
    FinishModel model = ModelOf(race);
    double quinella = model.BothInFirstTwo(i, j);
    double wide = PaidPlaces(race) == 3 ? model.BothInFirstThree(i, j) : quinella;
    double wideFair = wide > 0.0 ? kPairReturn / wide : 99999.0;
    double wideLow = CutOdds(wideFair * 0.8);
    double wideHigh = std::max(wideLow, CutOdds(wideFair * 1.3));
    return {FormatOdds(quinella > 0.0 ? CutOdds(kPairReturn / quinella) : 99999.0, 6), FormatOdds(wideLow, 6),
            FormatOdds(wideHigh, 6)};
}

std::vector<int> FinishingOrder(const Race& race) {
    int n = RunnerCountOf(race);
    std::vector<int> order;
    std::vector<bool> placed(static_cast<std::size_t>(n) + 1, false);
    if (race.result) {
        for (int number : race.result->order) {
            if (!Runs(RunnerAt(race, number))) {
                throw FixtureError("runner " + std::to_string(number) + " does not run and cannot finish");
            }
            if (placed[static_cast<std::size_t>(number)]) {
                throw FixtureError("runner " + std::to_string(number) + " finishes twice");
            }
            placed[static_cast<std::size_t>(number)] = true;
            order.push_back(number);
        }
    }
    std::vector<int> rest;
    for (int number = 1; number <= n; ++number) {
        if (!placed[static_cast<std::size_t>(number)] && Runs(RunnerAt(race, number))) {
            rest.push_back(number);
        }
    }
    std::stable_sort(rest.begin(), rest.end(),
                     [&](int x, int y) { return WinValue(RunnerAt(race, x)) < WinValue(RunnerAt(race, y)); });
    order.insert(order.end(), rest.begin(), rest.end());
    return order;
}

std::string WinPlaceOddsBytes(const Race& race) {
    int n = RunnerCountOf(race);
    FieldWriter out(OddsFileName(race));
    HeaderFields(out, race, CountText(race.runnerCount, race));
    std::vector<int> bracketOf = Brackets(n);
    for (int i = 1; i <= n; ++i) {
        const Runner& runner = RunnerAt(race, i);
        auto place = PlaceOddsOf(race, i);
        out.Number(bracketOf[static_cast<std::size_t>(i)], 1, "bracket");
        out.Number(i, 2, "horse number");
        out.Number(runner.winOdds, 5, "win odds of runner " + std::to_string(i));
        out.Number(place.first, 5, "lower place odds of runner " + std::to_string(i));
        out.Number(place.second, 5, "upper place odds of runner " + std::to_string(i));
    }
    return out.Take();
}

std::string QuinellaOddsBytes(const Race& race) {
    int n = RunnerCountOf(race);
    for (const auto& [pair, cell] : race.pairs) {
        if (pair.first < 1 || pair.first >= pair.second || pair.second > n) {
            throw FixtureError("no pair " + std::to_string(pair.first) + "-" + std::to_string(pair.second) +
                               " in a race of " + std::to_string(n));
        }
    }
    FieldWriter out(QuinellaFileName(race));
    HeaderFields(out, race, CountText(race.runnerCount, race));
    out.Text("01", 2, "spare field");
    for (int i = 1; i <= n; ++i) {
        for (int j = i + 1; j <= n; ++j) {
            PairCell cell = CellOf(race, i, j);
            std::string pair = PairKey(i, j);
            out.Number(i, 2, "pair field 1");
            out.Number(j, 5, "pair field 2");
            out.Number(cell.quinella, 6, "quinella odds " + pair);
            out.Number(cell.wideMin, 6, "lower wide odds " + pair);
            out.Number(cell.wideMax, 6, "upper wide odds " + pair);
        }
    }
    return out.Take();
}

std::string EntryFileBytes(const Race& race) {
    int n = RunnerCountOf(race);
    FieldWriter out(EntryFileName(race));
    out.Text(race.date, 8, "date");
    out.Text(race.date.substr(0, 4), 4, "year");
    out.Text(race.postTime, 4, "post time");
    out.Text(race.courseCode, 2, "course code");
    out.Number(race.meetingNo, 2, "meeting number");
    out.Number(race.meetingDay, 2, "meeting day");
    out.Number(race.raceNo, 4, "race number");
    out.Text(race.date, 8, "entry date");
    out.Text(race.raceName, 28, "race name");
    out.Text(race.courseName, 28, "course name");
    out.Number(CountText(race.entryRunnerCount, race), 2, "runner count");
    std::vector<int> bracketOf = Brackets(n);
    for (int i = 1; i <= n; ++i) {
        out.Number(bracketOf[static_cast<std::size_t>(i)], 1, "bracket");
        out.Text("0", 1, "entry field 2");
        out.Number(i, 2, "horse number");
        out.Text(i % 3 == 0 ? "2" : "1", 1, "sex");
        out.Text("0", 1, "entry field 5");
        out.Text(HorseNameOf(race, i), 18, "horse name of runner " + std::to_string(i));
        out.Text(JockeyOf(race, i), 18, "jockey of runner " + std::to_string(i));
        out.Number(3 + i % 4, 2, "age");
        out.Text(i % 3 == 0 ? "55.0" : "57.0", 4, "weight");
    }
    return out.Take();
}

std::string ResultFileBytes(const Race& race) {
    if (!race.result) {
        throw FixtureError("a result file needs a result");
    }
    const Result& result = *race.result;
    std::vector<int> order = FinishingOrder(race);
    FieldWriter out(ResultFileName(race));
    out.Text(race.date, 8, "date");
    out.Text(race.date.substr(0, 4), 4, "year");
    out.Text(race.postTime, 4, "post time");
    out.Text(race.courseCode, 2, "course code");
    out.Number(race.meetingNo, 2, "meeting number");
    out.Number(race.meetingDay, 2, "meeting day");
    out.Text("0", 1, "result field 7");
    out.Text("確定", 10, "result state");
    out.Text("1", 1, "result field 9");
    out.Text(race.raceName, 28, "race name");
    out.Text(race.courseName, 28, "course name");

    std::vector<Finisher> finishers =
        result.finishers ? *result.finishers : DerivedFinishers(race, order, result);
    if (finishers.size() > kResultFinishers) {
        throw FixtureError("the result file holds at most 7 finishers");
    }
    for (std::size_t k = 0; k < kResultFinishers; ++k) {
        Finisher entry = k < finishers.size() ? finishers[k] : Finisher{};
        out.Number(entry.position, 2, "finishing position");
        out.Number(entry.horseNumber, 2, "finisher's horse number");
        out.Text(entry.horseName, 18, "finisher's horse name");
        out.Text(entry.time, 6, "finishing time");
        out.Text(entry.jockey, 12, "finisher's jockey");
    }
    out.Number(StarterCount(race), 5, "starters");

    std::vector<Payoff> win;
    if (!order.empty()) {
        win.push_back({std::to_string(order[0]), YenOf(WinValue(RunnerAt(race, order[0])))});
    }
    std::vector<Payoff> quinella;
    if (order.size() >= 2) {
        int i = std::min(order[0], order[1]);
        int j = std::max(order[0], order[1]);
        quinella.push_back({PairKey(i, j), YenOf(NumericValue(CellOf(race, i, j).quinella))});
    }
    PayoffTable(out, result.win ? *result.win : win, 3, 2, "win");
    PayoffTable(out, result.place ? *result.place : DerivedPlacePayoffs(race, order), 5, 2, "place");
    PayoffTable(out, result.bracketQuinella ? *result.bracketQuinella : DerivedBracketPayoffs(race, order), 3,
                4, "bracket quinella");
    PayoffTable(out, result.quinella ? *result.quinella : quinella, 3, 6, "quinella");
    PayoffTable(out, result.wide ? *result.wide : DerivedWidePayoffs(race, order), 11, 6, "wide");
    return out.Take();
}

std::vector<FixtureFile> BuildRaceFiles(const Race& race) {
    std::vector<FixtureFile> files;
    if (race.withOddsFile) {
        files.push_back({OddsFileName(race), WinPlaceOddsBytes(race)});
    }
    if (race.withQuinellaFile) {
        files.push_back({QuinellaFileName(race), QuinellaOddsBytes(race)});
    }
    if (race.withEntryFile) {
        files.push_back({EntryFileName(race), EntryFileBytes(race)});
    }
    if (race.result) {
        files.push_back({ResultFileName(race), ResultFileBytes(race)});
    }
    return files;
}

namespace {

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!stream.flush()) {
        throw FixtureError("cannot write " + path.string());
    }
}

} // namespace

std::vector<std::filesystem::path> WriteRaceFiles(const Race& race, const std::filesystem::path& folder) {
    std::vector<FixtureFile> files = BuildRaceFiles(race);
    std::vector<std::filesystem::path> paths;
    for (const FixtureFile& file : files) {
        std::filesystem::path path = folder / file.name;
        WriteBytes(path, file.bytes);
        paths.push_back(path);
    }
    return paths;
}

void ReplaceByRename(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
    const std::filesystem::path temporary = folder / (name + ".tmp");
    WriteBytes(temporary, bytes);
    std::filesystem::rename(temporary, folder / name);
}

} // namespace velmora::patfixture
