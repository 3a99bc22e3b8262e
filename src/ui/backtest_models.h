#pragma once

#include "backtest/backtest_record.h"
#include "backtest/backtest_run.h"
#include "backtest/figures.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// What the back-test window shows of a race, apart from the widgets.

// The meeting as the file browser writes it ("第5回 2日"), from the sheet's
// meeting line without the course in front.
QString MeetingText(const BacktestRace& race);
// The race number ("10R") and the race name of the sheet's race line; a line
// that does not start with a number gives no number and the whole line as name.
QString RaceNumberText(const BacktestRace& race);
QString RaceNameText(const BacktestRace& race);
// The recommended pairs trimmed, each followed by the result display's mark:
// "◎" when it paid as a quinella, else "○" when it paid as a wide; a pair
// with a scratched runner, whose bets are refunded, stands in parentheses.
QString PairsWithMarks(const BacktestRace& race);
// Yen returned for the race's bets (quinella and wide), and the stake.
std::int64_t RaceReturn(const BacktestRace& race);
std::int64_t RaceStake(const BacktestRace& race);
// Why a race was left out, as the window says it.
QString SkipReasonCaption(SkipReason reason);
// A ratio as a percentage with one decimal ("78.7%"), "-" without a value.
QString PercentText(std::optional<double> ratio);
// Yen with thousands separators ("25,200").
QString YenText(std::int64_t yen);

// The races of a run, one row each, in the order they arrived: a view of the
// run's races, which shows those arrived so far at each ShowArrived. Every
// cell has a sort key (Qt::UserRole) so that numbers sort as numbers.
class BacktestRaceModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum ColumnId {
        No,
        Course,
        Meeting,
        RaceNo,
        RaceName,
        Runners,
        Grades,
        Pairs,
        Return,
        File,
        ColumnCount
    };
    static constexpr int kSortRole = Qt::UserRole;

    BacktestRaceModel(const BacktestRun& run, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Adds the rows of the races that arrived since the last call.
    void ShowArrived();
    // Shows no row; called before the run starts afresh.
    void Clear();
    // Width of a column in twips.
    static int ColumnWidth(int column);

private:
    QString Cell(const BacktestRace& race, int row, int column) const;
    QVariant SortKey(const BacktestRace& race, int row, int column) const;
    QString PairsToolTip(const BacktestRace& race) const;

    const BacktestRun& run_;
    int shown_ = 0;
};

// One line of the figures table: the breakdown it belongs to, its group and
// its counts.
struct FigureRow {
    QString
        breakdown; // "全体", "単1信頼度", "信頼度ﾊﾟﾀｰﾝ", "場名", "頭数", "単1支持率の動き", "推奨の異常印"
    QString group;
    Tally tally;
};
std::vector<FigureRow> FigureRows(const Figures& figures);
// Captions of the figures table, the two label columns first.
const QStringList& FigureColumnCaptions();
// The number columns of a figures line, in the order of the captions.
QStringList FigureCells(const Tally& tally);

} // namespace velmora
