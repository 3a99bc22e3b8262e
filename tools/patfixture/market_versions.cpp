#include "market_versions.h"

#include "common/conversions.h"
#include "common/random.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

namespace velmora::patfixture {
namespace {

constexpr int kSecondsPerDay = 24 * 3600;
constexpr int kDefaultResultDelay = 10 * 60; // a result is in about ten minutes after the close
constexpr double kDefaultFactor = 2.0;
constexpr double kMaxWinOdds = 9999.0; // the widest a 5-byte field holds as a whole number
// How much of the last step's noise carries into the next: money moves in runs,
// yet a single burst fades, so the trend stays visible.
constexpr double kNoiseMemory = 0.8;

// The win odds of a runner, or 0 when it does not run.
double OpeningOdds(const Runner& runner) {
    if (!IsNumericText(runner.winOdds)) {
        return 0.0;
    }
    double value = NumericValue(runner.winOdds);
    return value > 0.0 ? value : 0.0;
}

// Cut to ten yen like the PAT software, never below 1.0; whole numbers once one
// decimal no longer fits the field.
std::string WinOddsText(double odds) {
    odds = std::min(kMaxWinOdds, std::max(1.0, std::floor(odds * 10.0 + 1e-9) / 10.0));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, odds < 1000.0 ? "%.1f" : "%.0f", odds);
    return buffer;
}

void CheckBoughtRunner(const VersionPlan& plan, int horse, const std::string& key) {
    if (horse < 1 || horse > static_cast<int>(plan.race.runners.size()) ||
        OpeningOdds(plan.race.runners[static_cast<std::size_t>(horse - 1)]) <= 0.0) {
        throw FixtureError(key + ": no running runner " + std::to_string(horse));
    }
}

void CheckPlan(const VersionPlan& plan) {
    if (plan.count < 2) {
        throw FixtureError("a race needs at least two versions, not " + std::to_string(plan.count));
    }
    if (plan.firstSecond < 0 || plan.lastSecond >= kSecondsPerDay) {
        throw FixtureError("versions lie within one day");
    }
    if (plan.lastSecond - plan.firstSecond < plan.count - 1) {
        throw FixtureError(std::to_string(plan.count) + " versions need at least a second each between " +
                           ClockText(plan.firstSecond) + " and " + ClockText(plan.lastSecond));
    }
    if (plan.noise < 0.0 || plan.noise > 0.5) {
        throw FixtureError("noise lies between 0 and 0.5");
    }
    if (plan.resultSecond >= 0 &&
        (plan.resultSecond <= plan.lastSecond || plan.resultSecond >= kSecondsPerDay)) {
        throw FixtureError("the result comes after the last version, within the day");
    }
    for (const auto& [pair, factor] : plan.oversoldPairs) {
        CheckBoughtRunner(plan, pair.first, "oversold");
        CheckBoughtRunner(plan, pair.second, "oversold");
    }
    for (const auto& [horse, factor] : plan.placeBacked) {
        CheckBoughtRunner(plan, horse, "place-backed");
    }
    for (const Movement& move : plan.moves) {
        int n = static_cast<int>(plan.race.runners.size());
        if (move.horse < 1 || move.horse > n) {
            throw FixtureError("no runner " + std::to_string(move.horse) + " to back or drift");
        }
        if (OpeningOdds(plan.race.runners[static_cast<std::size_t>(move.horse - 1)]) <= 0.0) {
            throw FixtureError("runner " + std::to_string(move.horse) + " does not run and cannot be backed");
        }
        if (!(move.factor > 0.0)) {
            throw FixtureError("a runner's support changes by a factor above 0");
        }
    }
}

// Each runner's factor over the whole morning (index k = horse k + 1).
std::vector<double> Factors(const VersionPlan& plan) {
    std::vector<double> factors(plan.race.runners.size(), 1.0);
    for (const Movement& move : plan.moves) {
        factors[static_cast<std::size_t>(move.horse - 1)] *= move.factor;
    }
    return factors;
}

// Win odds for a moment of the morning: each runner's weight is its opening share
// moved by its factor so far and its noise; the pool keeps its opening overround,
// so the takeout stays what the opening odds imply.
std::vector<double> WinOddsAt(const std::vector<double>& opening, const std::vector<double>& factors,
                              const std::vector<double>& noise, double progress) {
    double overround = 0.0;
    double total = 0.0;
    std::vector<double> weights(opening.size(), 0.0);
    for (std::size_t i = 0; i < opening.size(); ++i) {
        if (opening[i] <= 0.0) {
            continue;
        }
        overround += 1.0 / opening[i];
        weights[i] = std::pow(factors[i], progress) * std::exp(noise[i]) / opening[i];
        total += weights[i];
    }
    std::vector<double> odds(opening.size(), 0.0);
    for (std::size_t i = 0; i < opening.size(); ++i) {
        if (weights[i] > 0.0) {
            odds[i] = total / (overround * weights[i]);
        }
    }
    return odds;
}

void StepNoise(std::vector<double>& noise, double spread, RandomSource& random) {
    for (double& value : noise) {
        double step = spread * (2.0 * static_cast<double>(random.NextUnit()) - 1.0);
        value = kNoiseMemory * value + step;
    }
}

int SecondOf(const VersionPlan& plan, int k) {
    long span = plan.lastSecond - plan.firstSecond;
    return plan.firstSecond + static_cast<int>(span * k / (plan.count - 1));
}

// A version's race: the opening description with new win odds, and everything
// the writer would otherwise take as given (place odds, pair cells) derived again,
// so that it follows the moved win odds. Without odds the opening texts stay.
Race VersionRace(const Race& opening, const std::vector<double>& odds, int second) {
    Race race = opening;
    race.oddsTime = ClockText(second);
    race.pairs.clear();
    for (std::size_t i = 0; i < race.runners.size(); ++i) {
        Runner& runner = race.runners[i];
        runner.placeOddsMin.clear();
        runner.placeOddsMax.clear();
        if (!odds.empty() && odds[i] > 0.0) {
            runner.winOdds = WinOddsText(odds[i]);
        }
    }
    return race;
}

// Pairs and place odds bought harder than the win odds imply, the way the
// market sometimes does.
void BuyHarder(Race& race, const VersionPlan& plan) {
    for (const auto& [pair, factor] : plan.oversoldPairs) {
        PairCell cell = DerivedPairCell(race, pair.first, pair.second);
        cell.quinella = DividedOdds(cell.quinella, factor, 6);
        race.pairs[pair] = cell;
    }
    for (const auto& [horse, factor] : plan.placeBacked) {
        auto [low, high] = DerivedPlaceOdds(race, horse);
        Runner& runner = race.runners[static_cast<std::size_t>(horse - 1)];
        runner.placeOddsMin = DividedOdds(low, factor, 5);
        runner.placeOddsMax = DividedOdds(high, factor, 5);
    }
}

// "HH:MM" or "HH:MM:SS" into seconds since midnight.
int ParseClock(std::string_view text) {
    // "HH:MM" is five characters, "HH:MM:SS" eight; every part two digits.
    bool shape =
        (text.size() == 5 || text.size() == 8) && text[2] == ':' && (text.size() == 5 || text[5] == ':');
    int parts[3] = {0, 0, 0};
    for (std::size_t k = 0; shape && k * 3 < text.size(); ++k) {
        const char* first = text.data() + k * 3;
        auto [next, error] = std::from_chars(first, first + 2, parts[k]);
        shape = error == std::errc() && next == first + 2 && parts[k] >= 0;
    }
    if (!shape || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) {
        throw FixtureError("a time is written HH:MM or HH:MM:SS, not \"" + std::string(text) + "\"");
    }
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t start = text.find_first_not_of(" \t\r", pos);
        if (start == std::string_view::npos) {
            break;
        }
        std::size_t stop = std::min(text.find_first_of(" \t\r", start), text.size());
        words.push_back(text.substr(start, stop - start));
        pos = stop;
    }
    return words;
}

double ParseNumber(std::string_view text, std::string_view what) {
    if (!IsNumericText(text)) {
        throw FixtureError(std::string(what) + " must be a number, not \"" + std::string(text) + "\"");
    }
    return NumericValue(text);
}

template <typename Whole = int> Whole ParseWhole(std::string_view text, std::string_view what) {
    Whole value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw FixtureError(std::string(what) + " must be a whole number, not \"" + std::string(text) + "\"");
    }
    return value;
}

struct PlanKeys {
    VersionPlan& plan;
    bool hasVersions = false;
    int resultSecond = -1;

    // Whether the key is one of the version keys (and then takes its value).
    bool Take(std::string_view key, std::string_view value) {
        std::vector<std::string_view> words = Words(value);
        if (key == "versions") {
            Versions(words);
        } else if (key == "backed" || key == "drifting") {
            Move(words, key == "backed");
        } else if (key == "oversold") {
            Oversold(words);
        } else if (key == "place-backed") {
            PlaceBacked(words);
        } else if (key == "noise") {
            plan.noise = ParseNumber(One(words, "noise"), "noise");
        } else if (key == "seed") {
            plan.seed = ParseWhole<std::uint64_t>(One(words, "seed"), "seed");
        } else if (key == "result-at") {
            resultSecond = ParseClock(One(words, "result-at"));
        } else {
            return false;
        }
        return true;
    }

    static std::string_view One(const std::vector<std::string_view>& words, std::string_view key) {
        if (words.size() != 1) {
            throw FixtureError(std::string(key) + " takes one value");
        }
        return words[0];
    }

    void Versions(const std::vector<std::string_view>& words) {
        if (words.size() != 3) {
            throw FixtureError("a versions line reads: count first-time last-time");
        }
        plan.count = ParseWhole(words[0], "the number of versions");
        plan.firstSecond = ParseClock(words[1]);
        plan.lastSecond = ParseClock(words[2]);
        hasVersions = true;
    }

    static double Factor(std::string_view text) {
        double factor = ParseNumber(text, "a factor");
        if (!(factor > 0.0)) {
            throw FixtureError("a factor must be above 0");
        }
        return factor;
    }

    void Oversold(const std::vector<std::string_view>& words) {
        const std::size_t dash = words.empty() ? std::string_view::npos : words[0].find('-');
        if (words.size() != 2 || dash == std::string_view::npos) {
            throw FixtureError("an oversold line reads: HORSE-HORSE factor");
        }
        int a = ParseWhole(words[0].substr(0, dash), "a horse number");
        int b = ParseWhole(words[0].substr(dash + 1), "a horse number");
        if (a == b) {
            throw FixtureError("an oversold pair needs two runners");
        }
        plan.oversoldPairs[{std::min(a, b), std::max(a, b)}] = Factor(words[1]);
    }

    void PlaceBacked(const std::vector<std::string_view>& words) {
        if (words.size() != 2) {
            throw FixtureError("a place-backed line reads: horse factor");
        }
        plan.placeBacked[ParseWhole(words[0], "a horse number")] = Factor(words[1]);
    }

    void Move(const std::vector<std::string_view>& words, bool backed) {
        if (words.empty() || words.size() > 2) {
            throw FixtureError("a backed or drifting line reads: horse [factor]");
        }
        double factor = words.size() == 2 ? ParseNumber(words[1], "a factor") : kDefaultFactor;
        if (!(factor > 0.0)) {
            throw FixtureError("a factor must be above 0");
        }
        plan.moves.push_back({ParseWhole(words[0], "a horse number"), backed ? factor : 1.0 / factor});
    }
};

} // namespace

std::string ClockText(int second) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", second / 3600, second / 60 % 60, second % 60);
    return buffer;
}

std::string VersionFolderName(int second) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d%02d%02d", second / 3600, second / 60 % 60, second % 60);
    return buffer;
}

std::vector<RaceVersion> RaceVersions(const VersionPlan& plan) {
    CheckPlan(plan);
    std::vector<double> opening;
    for (const Runner& runner : plan.race.runners) {
        opening.push_back(OpeningOdds(runner));
    }
    std::vector<double> factors = Factors(plan);
    std::vector<double> noise(opening.size(), 0.0);
    StandardRandomSource random;
    random.Seed(plan.seed);

    std::vector<RaceVersion> versions;
    for (int k = 0; k < plan.count; ++k) {
        if (k > 0) {
            StepNoise(noise, plan.noise, random);
        }
        double progress = static_cast<double>(k) / (plan.count - 1);
        int second = SecondOf(plan, k);
        Race race = k == 0 ? VersionRace(plan.race, {}, second)
                           : VersionRace(plan.race, WinOddsAt(opening, factors, noise, progress), second);
        BuyHarder(race, plan);
        versions.push_back({second, std::move(race)});
    }
    return versions;
}

VersionPlan ParseVersionPlan(std::string_view text) {
    VersionPlan plan;
    PlanKeys keys{plan};
    // The version keys are taken out here; the rest goes to the race description
    // parser with blank lines in their place, so its line numbers stay right.
    std::string rest;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        std::size_t colon = line.find(':');
        std::vector<std::string_view> head =
            Words(line.substr(0, colon == std::string_view::npos ? 0 : colon));
        bool taken = false;
        if (head.size() == 1 && !head[0].starts_with('#')) {
            try {
                taken = keys.Take(head[0], line.substr(colon + 1));
            } catch (const FixtureError& error) {
                throw FixtureError("line " + std::to_string(lineNumber) + ": " + error.what());
            }
        }
        rest += taken ? std::string_view() : line;
        rest += '\n';
    }
    if (!keys.hasVersions) {
        throw FixtureError("a race of a race day needs a line \"versions: count first-time last-time\"");
    }
    plan.race = ParseRaceDescription(rest);
    if (plan.race.result) {
        plan.resultSecond =
            keys.resultSecond >= 0 ? keys.resultSecond : plan.lastSecond + kDefaultResultDelay;
    } else if (keys.resultSecond >= 0) {
        throw FixtureError("result-at is for a race with a result file");
    }
    CheckPlan(plan);
    return plan;
}

std::vector<FixtureFile> RaceDayFiles(const std::vector<VersionPlan>& plans) {
    std::map<std::string, std::string> files;
    auto add = [&files](int second, const std::string& name, std::string bytes) {
        std::string path = "versions/" + VersionFolderName(second) + "/" + name;
        if (!files.emplace(path, std::move(bytes)).second) {
            throw FixtureError("two races write " + path);
        }
    };
    for (const VersionPlan& plan : plans) {
        std::vector<RaceVersion> versions = RaceVersions(plan);
        for (std::size_t k = 0; k < versions.size(); ++k) {
            const RaceVersion& version = versions[k];
            if (version.race.withOddsFile) {
                add(version.second, OddsFileName(version.race), WinPlaceOddsBytes(version.race));
            }
            if (version.race.withQuinellaFile) {
                add(version.second, QuinellaFileName(version.race), QuinellaOddsBytes(version.race));
            }
            if (k == 0 && version.race.withEntryFile) {
                add(version.second, EntryFileName(version.race), EntryFileBytes(version.race));
            }
        }
        // The result pays on the closing odds.
        const Race& closing = versions.back().race;
        if (closing.result && plan.resultSecond >= 0) {
            add(plan.resultSecond, ResultFileName(closing), ResultFileBytes(closing));
        }
    }
    std::vector<FixtureFile> list;
    for (auto& [path, bytes] : files) {
        list.push_back({path, std::move(bytes)});
    }
    return list;
}

} // namespace velmora::patfixture
