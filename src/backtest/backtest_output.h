#pragma once

#include "backtest/backtest_record.h"
#include "backtest/backtest_run.h"
#include "backtest/figures.h"
#include "common/display_width.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// One field of a CSV line, quoted as RFC 4180 asks: in double quotes, with
// inner quotes doubled, when it holds a comma, a quote, a line break or spaces
// at either end (which some readers would otherwise drop).
std::string CsvField(std::string_view text);

// The columns of the CSV: one line per recommended pair.
std::string_view CsvHeaderLine();

// Streams one CSV line per recommended pair as the races arrive (the header
// line is written at construction); skipped races leave no line.
// Excel on a Japanese system reads a CSV without a byte-order mark as CP932,
// so the file saved for it starts with one; scripts get plain UTF-8.
enum class ByteOrderMark { Without, With };

class CsvBacktestWriter : public BacktestVisitor {
public:
    explicit CsvBacktestWriter(std::ostream& out, ByteOrderMark mark = ByteOrderMark::Without);
    void OnRace(const BacktestRace& race) override;
    void OnSkipped(const SkippedRace&) override {}

private:
    std::ostream& out_;
    std::string lines_; // a race's lines, kept for the next race's
};

// Streams one JSON object: the folder, every race as it arrives, then the
// skipped races with their reasons and the figures (Finish).
class JsonBacktestWriter : public BacktestVisitor {
public:
    JsonBacktestWriter(std::ostream& out, std::string_view folder);
    void OnRace(const BacktestRace& race) override;
    void OnSkipped(const SkippedRace& skipped) override;
    void Finish();

private:
    std::ostream& out_;
    bool firstRace_ = true;
    BacktestTally tally_;
};

// The figures as a JSON object.
void WriteFiguresJson(const Figures& figures, std::ostream& out);

// The readable report: the races used and skipped, then the figures for all
// races and by win-1 grade, grade pattern, course, runner count, the win-1
// runner's support movement and anomaly marks on the pairs.
void WriteTextReport(const Figures& figures, std::string_view folder, std::ostream& out);

} // namespace velmora
