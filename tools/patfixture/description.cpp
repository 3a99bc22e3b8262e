// The text form of a race description: one "key: value" per line, see README.md.

#include "pat_fixture.h"

#include "common/conversions.h"
#include "common/text.h"

#include <charconv>

namespace velmora::patfixture {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits at blanks; a token in double quotes keeps its blanks ("" is an empty token).
std::vector<std::string> Tokens(std::string_view text) {
    std::vector<std::string> tokens;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (IsBlank(text[pos])) {
            ++pos;
            continue;
        }
        if (text[pos] == '"') {
            std::size_t end = text.find('"', pos + 1);
            if (end == std::string_view::npos) {
                throw FixtureError("a quote is not closed");
            }
            tokens.emplace_back(text.substr(pos + 1, end - pos - 1));
            pos = end + 1;
            continue;
        }
        std::size_t end = pos;
        while (end < text.size() && !IsBlank(text[end])) {
            ++end;
        }
        tokens.emplace_back(text.substr(pos, end - pos));
        pos = end;
    }
    return tokens;
}

// A single value: the trimmed text, or exactly what stands between double quotes.
std::string Value(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.front() != '"') {
        return std::string(text);
    }
    if (text.size() < 2 || text.back() != '"') {
        throw FixtureError("a quote is not closed");
    }
    return std::string(text.substr(1, text.size() - 2));
}

int Integer(std::string_view text, std::string_view what) {
    text = Trim(text);
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw FixtureError(std::string(what) + " must be a whole number, not \"" + std::string(text) + "\"");
    }
    return value;
}

// "low-high" into two texts.
std::pair<std::string, std::string> Range(std::string_view text, std::string_view what) {
    std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        throw FixtureError(std::string(what) + " is written low-high, not \"" + std::string(text) + "\"");
    }
    return {std::string(text.substr(0, dash)), std::string(text.substr(dash + 1))};
}

std::pair<int, int> PairOf(std::string_view text) {
    auto [first, second] = Range(text, "a pair");
    int i = Integer(first, "a horse number");
    int j = Integer(second, "a horse number");
    if (i >= j) {
        throw FixtureError("a pair names the smaller horse number first");
    }
    return {i, j};
}

Runner ParseRunner(std::string_view value) {
    std::vector<std::string> tokens = Tokens(value);
    if (tokens.empty()) {
        throw FixtureError("a runner line needs at least the win odds");
    }
    Runner runner;
    runner.winOdds = tokens[0];
    bool named = false;
    for (std::size_t k = 1; k < tokens.size(); ++k) {
        std::string_view token = tokens[k];
        if (token.starts_with("place=")) {
            auto [low, high] = Range(token.substr(6), "place odds");
            runner.placeOddsMin = low;
            runner.placeOddsMax = high;
        } else if (token.starts_with("jockey=")) {
            runner.jockey = std::string(token.substr(7));
        } else if (!named) {
            runner.horseName = std::string(token);
            named = true;
        } else {
            throw FixtureError("a runner has one name; \"" + std::string(token) + "\" is one too many");
        }
    }
    return runner;
}

std::vector<Payoff>& PoolOf(Result& result, std::string_view pool) {
    std::optional<std::vector<Payoff>>* table = nullptr;
    if (pool == "win") {
        table = &result.win;
    } else if (pool == "place") {
        table = &result.place;
    } else if (pool == "bracket") {
        table = &result.bracketQuinella;
    } else if (pool == "quinella") {
        table = &result.quinella;
    } else if (pool == "wide") {
        table = &result.wide;
    } else {
        throw FixtureError("no pool \"" + std::string(pool) + "\" (win, place, bracket, quinella, wide)");
    }
    if (!*table) {
        table->emplace();
    }
    return **table;
}

// Which files to write; returns whether the result file is among them.
bool SetFiles(Race& race, std::string_view value) {
    race.withOddsFile = race.withQuinellaFile = race.withEntryFile = false;
    bool withResult = false;
    for (const std::string& token : Tokens(value)) {
        std::string kind = ToLowerAscii(token);
        if (kind == "zo") {
            race.withOddsFile = true;
        } else if (kind == "uo") {
            race.withQuinellaFile = true;
        } else if (kind == "de") {
            race.withEntryFile = true;
        } else if (kind == "ks") {
            withResult = true;
        } else {
            throw FixtureError("no file kind \"" + token + "\" (Zo, Uo, De, Ks)");
        }
    }
    return withResult;
}

struct Parser {
    Race race;
    bool withResult = true; // all four files unless a files line says otherwise

    Result& TheResult() {
        if (!race.result) {
            race.result.emplace();
        }
        return *race.result;
    }

    void Line(std::string_view key, std::string_view value) {
        if (key == "file") {
            race.fileId = Value(value);
        } else if (key == "result-infix") {
            race.resultInfix = Value(value);
        } else if (key == "date") {
            race.date = Value(value);
        } else if (key == "course-code") {
            race.courseCode = Value(value);
        } else if (key == "course") {
            race.courseName = Value(value);
        } else if (key == "meeting") {
            race.meetingNo = Integer(value, "meeting");
        } else if (key == "day") {
            race.meetingDay = Integer(value, "day");
        } else if (key == "race") {
            race.raceNo = Integer(value, "race");
        } else if (key == "marker") {
            race.formatMarker = Value(value);
        } else if (key == "post-time") {
            race.postTime = Value(value);
        } else if (key == "name") {
            race.raceName = Value(value);
        } else if (key == "conditions") {
            race.conditions = Value(value);
        } else if (key == "runner-count") {
            race.runnerCount = Value(value);
        } else if (key == "entry-runner-count") {
            race.entryRunnerCount = Value(value);
        } else if (key == "runner") {
            race.runners.push_back(ParseRunner(value));
        } else if (key == "pair") {
            Pair(value);
        } else if (key == "result") {
            for (const std::string& token : Tokens(value)) {
                TheResult().order.push_back(Integer(token, "a finisher"));
            }
        } else if (key == "time") {
            TheResult().winnerTime = Value(value);
        } else if (key == "payoff") {
            Payoff(value);
        } else if (key == "files") {
            withResult = SetFiles(race, value);
        } else {
            throw FixtureError("unknown key \"" + std::string(key) + "\"");
        }
    }

    void Pair(std::string_view value) {
        std::vector<std::string> tokens = Tokens(value);
        if (tokens.size() != 3) {
            throw FixtureError("a pair line reads: i-j quinella wideLow-wideHigh");
        }
        auto [low, high] = Range(tokens[2], "wide odds");
        race.pairs[PairOf(tokens[0])] = PairCell{tokens[1], low, high};
    }

    void Payoff(std::string_view value) {
        std::vector<std::string> tokens = Tokens(value);
        if (tokens.size() != 3) {
            throw FixtureError("a payoff line reads: pool key amount");
        }
        PoolOf(TheResult(), tokens[0]).push_back({tokens[1], tokens[2]});
    }
};

} // namespace

Race ParseRaceDescription(std::string_view text) {
    Parser parser;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNumber;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            throw FixtureError("line " + std::to_string(lineNumber) + ": expected \"key: value\"");
        }
        try {
            parser.Line(Trim(line.substr(0, colon)), line.substr(colon + 1));
        } catch (const FixtureError& error) {
            throw FixtureError("line " + std::to_string(lineNumber) + ": " + error.what());
        }
    }
    if (!parser.withResult) {
        parser.race.result.reset();
    } else if (!parser.race.result) {
        parser.race.result.emplace();
    }
    return parser.race;
}

} // namespace velmora::patfixture
