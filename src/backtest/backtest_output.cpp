#include "backtest/backtest_output.h"

#include "common/conversions.h"
#include "common/json.h"
#include "common/text.h"

#include <charconv>
#include <optional>

namespace velmora {

namespace {

// Appends one CSV field, quoted when CsvField would quote it.
void AppendCsvField(std::string& out, std::string_view text) {
    bool needsQuotes = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!needsQuotes) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

// A column other than the last: the field and its comma.
void AppendCsvColumn(std::string& out, std::string_view text) {
    AppendCsvField(out, text);
    out += ',';
}

template <typename Integer> void AppendNumber(std::string& out, Integer value) {
    char buffer[24];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, error == std::errc() ? end : buffer);
}

} // namespace

std::string CsvField(std::string_view text) {
    std::string out;
    AppendCsvField(out, text);
    return out;
}

namespace {

// A rate, or null where there is nothing to divide by.
Json RateJson(std::optional<double> value) {
    return value ? Json(*value) : Json(nullptr);
}

Json BetJson(const Tally& tally, const BetTally& bet) {
    return {{"hits", bet.hits},
            {"races_hit", bet.racesHit},
            {"pair_hit_rate", RateJson(PairHitRate(tally, bet))},
            {"race_hit_rate", RateJson(RaceHitRate(tally, bet))},
            {"stake", bet.stake},
            {"return", bet.returned},
            {"return_rate", RateJson(ReturnRate(bet))}};
}

Json TallyJson(const Tally& tally) {
    return {{"races", tally.races},
            {"pairs_bet", tally.pairsBet},
            {"pairs_refunded", tally.pairsRefunded},
            {"races_any_hit", tally.racesAnyHit},
            {"race_hit_rate", RateJson(Ratio(tally.racesAnyHit, tally.races))},
            {"stake", tally.TotalStake()},
            {"return", tally.TotalReturn()},
            {"return_rate", RateJson(Ratio(tally.TotalReturn(), tally.TotalStake()))},
            {"quinella", BetJson(tally, tally.quinella)},
            {"wide", BetJson(tally, tally.wide)}};
}

Json TallyMapJson(const std::map<std::string, Tally>& tallies) {
    Json object = Json::object();
    for (const auto& [key, tally] : tallies) {
        object[JsonKey(key)] = TallyJson(tally);
    }
    return object;
}

Json PayoffsJson(const std::vector<BacktestPayoff>& payoffs) {
    Json array = Json::array();
    for (const BacktestPayoff& payoff : payoffs) {
        array.push_back({{"key", JsonText(payoff.key)}, {"amount", payoff.amount}});
    }
    return array;
}

Json PairJson(const BacktestPair& pair) {
    return {{"pair", JsonText(pair.pair)},
            {"first", pair.first},
            {"second", pair.second},
            {"quinella_odds", JsonText(pair.quinellaOdds)},
            {"wide_odds", JsonText(pair.wideOdds)},
            {"refunded", pair.refunded},
            {"quinella_hit", pair.quinellaHit},
            {"wide_hit", pair.wideHit},
            {"quinella_return", pair.quinellaReturn},
            {"wide_return", pair.wideReturn},
            {"anomaly_mark", pair.anomalyMark}};
}

Json RaceJson(const BacktestRace& race) {
    Json grades = Json::array();
    for (const std::string& grade : race.grades) {
        grades.push_back(JsonText(grade));
    }
    Json pairs = Json::array();
    for (const BacktestPair& pair : race.pairs) {
        pairs.push_back(PairJson(pair));
    }
    return {{"file", JsonText(race.fileName)},
            {"course", JsonText(race.course)},
            {"meeting", JsonText(race.meetingLine)},
            {"race", JsonText(race.raceLine)},
            {"runners", race.runnerCount},
            {"grades", std::move(grades)},
            {"quinella_odds_read", race.hasQuinellaOdds},
            {"pairs", std::move(pairs)},
            {"quinella_payoffs", PayoffsJson(race.quinellaPayoffs)},
            {"wide_payoffs", PayoffsJson(race.widePayoffs)},
            {"win1_support_movement", JsonText(Win1MovementLabel(race.win1Movement))},
            {"pair_anomaly_mark", JsonText(PairMarkGroupLabel(PairMarkGroup(race)))}};
}

Json FiguresJson(const Figures& figures) {
    Json bands = Json::object();
    for (int band = 0; band < kRunnerBandCount; ++band) {
        bands[JsonKey(RunnerBandLabel(band))] =
            TallyJson(figures.byRunnerBand[static_cast<std::size_t>(band)]);
    }
    Json skipped = Json::object();
    for (int reason = 0; reason < kSkipReasonCount; ++reason) {
        skipped[JsonKey(SkipReasonKey(static_cast<SkipReason>(reason)))] =
            figures.skipped[static_cast<std::size_t>(reason)];
    }
    Json movements = Json::object();
    for (int movement = 0; movement < kWin1MovementCount; ++movement) {
        movements[JsonKey(Win1MovementLabel(static_cast<Win1Movement>(movement)))] =
            TallyJson(figures.byWin1Movement[static_cast<std::size_t>(movement)]);
    }
    Json marks = Json::object();
    for (int group = 0; group < kPairMarkGroupCount; ++group) {
        marks[JsonKey(PairMarkGroupLabel(group))] =
            TallyJson(figures.byPairMark[static_cast<std::size_t>(group)]);
    }
    return {{"all", TallyJson(figures.all)},
            {"by_win1_grade", TallyMapJson(figures.byWin1Grade)},
            {"by_grade_pattern", TallyMapJson(figures.byGradePattern)},
            {"by_course", TallyMapJson(figures.byCourse)},
            {"by_runner_band", std::move(bands)},
            {"skipped", std::move(skipped)},
            {"by_win1_support_movement", std::move(movements)},
            {"by_pair_anomaly_mark", std::move(marks)}};
}

void WriteJson(const Json& value, std::ostream& out) {
    std::string text = DumpJson(value);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

} // namespace

std::string_view CsvHeaderLine() {
    return "file,course,meeting,race,runners,grades,pair,first,second,quinella_odds,wide_odds_min,wide_odds_"
           "max,"
           "refunded,quinella_hit,wide_hit,quinella_return,wide_return,win1_support_movement,pair_anomaly_"
           "mark";
}

CsvBacktestWriter::CsvBacktestWriter(std::ostream& out, ByteOrderMark mark) : out_(out) {
    if (mark == ByteOrderMark::With) {
        out_ << "\xEF\xBB\xBF";
    }
    out_ << CsvHeaderLine() << "\r\n";
}

void CsvBacktestWriter::OnRace(const BacktestRace& race) {
    // The race's columns are the same on each of its lines; its lines go out
    // together, built in a buffer that serves every race.
    std::string prefix;
    AppendCsvColumn(prefix, race.fileName);
    AppendCsvColumn(prefix, race.course);
    AppendCsvColumn(prefix, TrimSpaces(race.meetingLine));
    AppendCsvColumn(prefix, TrimSpaces(race.raceLine));
    AppendNumber(prefix, race.runnerCount);
    prefix += ',';
    AppendCsvColumn(prefix, race.GradePattern());
    // The race's groups close each of its lines.
    std::string suffix;
    AppendCsvColumn(suffix, Win1MovementLabel(race.win1Movement));
    AppendCsvField(suffix, PairMarkGroupLabel(PairMarkGroup(race)));
    suffix += "\r\n";
    std::string& lines = lines_;
    lines.clear();
    for (const BacktestPair& pair : race.pairs) {
        // The wide odds line "min～max" as two numbers.
        std::string_view wide = pair.wideOdds;
        std::size_t tilde = wide.find(kWideOddsSeparator);
        std::string_view wideMin = tilde == std::string_view::npos ? wide : wide.substr(0, tilde);
        std::string_view wideMax = tilde == std::string_view::npos
                                       ? std::string_view()
                                       : wide.substr(tilde + std::string_view(kWideOddsSeparator).size());
        lines += prefix;
        AppendCsvColumn(lines, pair.pair);
        AppendNumber(lines, pair.first);
        lines += ',';
        AppendNumber(lines, pair.second);
        lines += ',';
        AppendCsvColumn(lines, TrimSpaces(pair.quinellaOdds));
        AppendCsvColumn(lines, TrimSpaces(wideMin));
        AppendCsvField(lines, TrimSpaces(wideMax));
        lines += pair.refunded ? ",1," : ",0,";
        lines += pair.quinellaHit ? "1," : "0,";
        lines += pair.wideHit ? "1," : "0,";
        AppendNumber(lines, pair.quinellaReturn);
        lines += ',';
        AppendNumber(lines, pair.wideReturn);
        lines += ',';
        lines += suffix;
    }
    out_.write(lines.data(), static_cast<std::streamsize>(lines.size()));
}

// The object is written as it grows, one race to a line, so its outer frame
// is joined here by hand; each member is a value of its own.
JsonBacktestWriter::JsonBacktestWriter(std::ostream& out, std::string_view folder) : out_(out) {
    out_ << "{\"folder\":";
    WriteJson(JsonText(folder), out_);
    out_ << ",\"races\":[";
}

void JsonBacktestWriter::OnRace(const BacktestRace& race) {
    tally_.OnRace(race);
    out_ << (firstRace_ ? "\n" : ",\n");
    WriteJson(RaceJson(race), out_);
    firstRace_ = false;
}

void JsonBacktestWriter::OnSkipped(const SkippedRace& skipped) {
    tally_.OnSkipped(skipped);
}

void JsonBacktestWriter::Finish() {
    out_ << "\n],\"skipped\":[";
    const std::vector<SkippedRace>& skipped = tally_.Skipped();
    for (std::size_t i = 0; i < skipped.size(); ++i) {
        out_ << (i == 0 ? "\n" : ",\n");
        Json entry = {{"file", JsonText(skipped[i].fileName)},
                      {"reason", JsonText(SkipReasonKey(skipped[i].reason))}};
        if (!skipped[i].detail.empty()) {
            entry["detail"] = JsonText(skipped[i].detail);
        }
        WriteJson(entry, out_);
    }
    out_ << "\n],\"figures\":";
    WriteFiguresJson(tally_.RunFigures(), out_);
    out_ << "}\n";
}

void WriteFiguresJson(const Figures& figures, std::ostream& out) {
    WriteJson(FiguresJson(figures), out);
}

namespace {

std::string Percent(std::optional<double> value) {
    return value ? FormatFixed(*value * 100.0, 1) + "%" : std::string("-");
}

// Labels padded on the right, numbers on the left.
constexpr std::size_t kLabelWidth = 14;
constexpr std::size_t kNumberWidth = 9;

void WriteTableHeader(std::string_view title, std::ostream& out) {
    out << '\n' << title << '\n' << PadToColumns("", kLabelWidth, Align::Left);
    for (const char* caption : {"races", "pairs", "refunds", "Q hits", "W hits", "race hit", "Q/pair",
                                "W/pair", "stake", "return", "Q ret%", "W ret%", "ret%"}) {
        out << PadToColumns(caption, kNumberWidth, Align::Right);
    }
    out << '\n';
}

void WriteTallyRow(std::string_view label, const Tally& tally, std::ostream& out) {
    out << PadToColumns(VisibleText(label), kLabelWidth, Align::Left); // a course name comes from a file
    for (const std::string& cell :
         {std::to_string(tally.races), std::to_string(tally.pairsBet), std::to_string(tally.pairsRefunded),
          std::to_string(tally.quinella.hits), std::to_string(tally.wide.hits),
          Percent(Ratio(tally.racesAnyHit, tally.races)), Percent(PairHitRate(tally, tally.quinella)),
          Percent(PairHitRate(tally, tally.wide)), std::to_string(tally.TotalStake()),
          std::to_string(tally.TotalReturn()), Percent(ReturnRate(tally.quinella)),
          Percent(ReturnRate(tally.wide)), Percent(Ratio(tally.TotalReturn(), tally.TotalStake()))}) {
        out << PadToColumns(cell, kNumberWidth, Align::Right);
    }
    out << '\n';
}

void WriteTallyTable(std::string_view title, const std::map<std::string, Tally>& tallies, std::ostream& out) {
    WriteTableHeader(title, out);
    for (const auto& [label, tally] : tallies) {
        WriteTallyRow(label.empty() ? std::string_view("(none)") : std::string_view(label), tally, out);
    }
}

} // namespace

void WriteTextReport(const Figures& figures, std::string_view folder, std::ostream& out) {
    const Tally& all = figures.all;
    out << "Back-test of " << VisibleText(folder) << '\n'
        << "Races used: " << all.races << ", skipped: " << figures.SkippedTotal() << '\n';
    for (int reason = 0; reason < kSkipReasonCount; ++reason) {
        std::int64_t count = figures.skipped[static_cast<std::size_t>(reason)];
        if (count > 0) {
            out << "  " << SkipReasonText(static_cast<SkipReason>(reason)) << ": " << count << '\n';
        }
    }
    out << "Stake 100 yen per pair as a quinella and as a wide; pairs with a scratched runner are refunded.\n"
        << "Pairs bet: " << all.pairsBet << ", refunded: " << all.pairsRefunded << '\n'
        << "Quinella (馬連): " << all.quinella.hits << " hits in " << all.quinella.racesHit
        << " races, hit rate " << Percent(PairHitRate(all, all.quinella)) << " per pair, "
        << Percent(RaceHitRate(all, all.quinella)) << " per race; stake " << all.quinella.stake
        << " yen, return " << all.quinella.returned << " yen, 回収率 " << Percent(ReturnRate(all.quinella))
        << '\n'
        << "Wide (ワイド): " << all.wide.hits << " hits in " << all.wide.racesHit << " races, hit rate "
        << Percent(PairHitRate(all, all.wide)) << " per pair, " << Percent(RaceHitRate(all, all.wide))
        << " per race; stake " << all.wide.stake << " yen, return " << all.wide.returned << " yen, 回収率 "
        << Percent(ReturnRate(all.wide)) << '\n'
        << "Total: stake " << all.TotalStake() << " yen, return " << all.TotalReturn() << " yen, 回収率 "
        << Percent(Ratio(all.TotalReturn(), all.TotalStake())) << "; races with a hit "
        << Percent(Ratio(all.racesAnyHit, all.races)) << '\n';

    WriteTableHeader("All races", out);
    WriteTallyRow("all", all, out);
    WriteTallyTable("By win-1 grade", figures.byWin1Grade, out);
    WriteTallyTable("By grade pattern", figures.byGradePattern, out);
    WriteTallyTable("By course", figures.byCourse, out);
    WriteTableHeader("By runner count", out);
    for (int band = 0; band < kRunnerBandCount; ++band) {
        WriteTallyRow(RunnerBandLabel(band), figures.byRunnerBand[static_cast<std::size_t>(band)], out);
    }
    WriteTableHeader("By win-1 support movement", out);
    for (int movement = 0; movement < kWin1MovementCount; ++movement) {
        WriteTallyRow(Win1MovementLabel(static_cast<Win1Movement>(movement)),
                      figures.byWin1Movement[static_cast<std::size_t>(movement)], out);
    }
    WriteTableHeader("By anomaly mark on the pairs", out);
    for (int group = 0; group < kPairMarkGroupCount; ++group) {
        WriteTallyRow(PairMarkGroupLabel(group), figures.byPairMark[static_cast<std::size_t>(group)], out);
    }
}

} // namespace velmora
