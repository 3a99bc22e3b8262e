#include "ui/backtest_models.h"

#include "browser/listing_problems.h"
#include "common/conversions.h"
#include "common/text.h"
#include "results/result_display.h"

#include <array>

namespace velmora {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString TrimmedText(std::string_view text) {
    return Q(TrimSpaces(text));
}

// The race line is the race number in two characters, "R", a space and the name.
qsizetype RaceNumberEnd(const QString& line) {
    qsizetype r = line.indexOf(u'R');
    if (r <= 0) {
        return -1;
    }
    for (qsizetype i = 0; i < r; ++i) {
        if (!line[i].isDigit()) {
            return -1;
        }
    }
    return r + 1;
}

QString RaceLine(const BacktestRace& race) {
    return TrimmedText(race.raceLine);
}

QString HitMark(const BacktestPair& pair) {
    if (pair.quinellaHit) {
        return QString::fromUtf8(kQuinellaHitMark);
    }
    if (pair.wideHit) {
        return QString::fromUtf8(kWideHitMark);
    }
    return {};
}

struct ColumnLayout {
    const char* caption;
    int width; // twips
    bool number;
};

constexpr std::array<ColumnLayout, BacktestRaceModel::ColumnCount> kRaceColumns = {{
    {"No", 600, true},
    {"場名", 600, false},
    {"開催", 1100, false},
    {"ﾚｰｽ", 480, true},
    {"ﾚｰｽ名", 1900, false},
    {"頭数", 450, true},
    {"信頼度", 660, false},
    {"推奨買い目", 5000, false},
    {"払戻", 750, true},
    {"ﾌｧｲﾙ名", 1400, false},
}};

} // namespace

QString MeetingText(const BacktestRace& race) {
    std::string_view line = race.meetingLine;
    std::string_view rest = TrimSpaces(line);
    if (!race.course.empty() && rest.substr(0, race.course.size()) == race.course) {
        rest = rest.substr(race.course.size());
    }
    QString meeting = Q(rest);
    meeting.remove(u' ');
    qsizetype kai = meeting.indexOf(QStringLiteral("回"));
    if (kai >= 0 && kai + 1 < meeting.size()) {
        meeting.insert(kai + 1, u' ');
    }
    return meeting;
}

QString RaceNumberText(const BacktestRace& race) {
    QString line = RaceLine(race);
    qsizetype end = RaceNumberEnd(line);
    return end < 0 ? QString() : line.left(end);
}

QString RaceNameText(const BacktestRace& race) {
    QString line = RaceLine(race);
    qsizetype end = RaceNumberEnd(line);
    return end < 0 ? line : line.mid(end).trimmed();
}

QString PairsWithMarks(const BacktestRace& race) {
    QStringList texts;
    for (const BacktestPair& pair : race.pairs) {
        QString text = TrimmedText(pair.pair).remove(u' ');
        texts.append(pair.refunded ? u'(' + text + u')' : text + HitMark(pair));
    }
    return texts.join(u' ');
}

std::int64_t RaceReturn(const BacktestRace& race) {
    Tally tally;
    tally.Add(race);
    return tally.TotalReturn();
}

std::int64_t RaceStake(const BacktestRace& race) {
    Tally tally;
    tally.Add(race);
    return tally.TotalStake();
}

QString SkipReasonCaption(SkipReason reason) {
    switch (reason) {
    case SkipReason::UnreadableOddsFile:
        return Q(OddsFileFaultCaption(OddsFileFault::Unreadable));
    case SkipReason::WrongFormatOddsFile:
        return Q(OddsFileFaultCaption(OddsFileFault::WrongFormat));
    case SkipReason::TooFewRunners:
        return QStringLiteral("７頭立て以下");
    case SkipReason::TooFewActiveRunners:
        return QStringLiteral("取消を除くと７頭以下");
    case SkipReason::NoResultFile:
        return QStringLiteral("成績ﾌｧｲﾙがない");
    case SkipReason::UnreadableResultFile:
        return QStringLiteral("成績ﾌｧｲﾙが読めない");
    case SkipReason::InvalidOdds:
        return QStringLiteral("ｵｯｽﾞが正しくない");
    }
    return QStringLiteral("?");
}

QString PercentText(std::optional<double> ratio) {
    return ratio ? Q(FormatFixed(*ratio * 100.0, 1)) + u'%' : QStringLiteral("-");
}

QString YenText(std::int64_t yen) {
    QString digits = QString::number(yen < 0 ? -yen : yen);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) {
        digits.insert(at, u',');
    }
    return yen < 0 ? u'-' + digits : digits;
}

BacktestRaceModel::BacktestRaceModel(const BacktestRun& run, QObject* parent)
    : QAbstractTableModel(parent), run_(run) {}

int BacktestRaceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int BacktestRaceModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BacktestRaceModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const BacktestRace& race = run_.Races()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return Cell(race, index.row(), index.column());
    case kSortRole:
        return SortKey(race, index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            (kRaceColumns[static_cast<std::size_t>(index.column())].number ? Qt::AlignRight : Qt::AlignLeft) |
            Qt::AlignVCenter);
    case Qt::ToolTipRole:
        return index.column() == Pairs || index.column() == Return ? PairsToolTip(race) : QVariant();
    default:
        return {};
    }
}

QVariant BacktestRaceModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return QString::fromUtf8(kRaceColumns[static_cast<std::size_t>(section)].caption);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

int BacktestRaceModel::ColumnWidth(int column) {
    return kRaceColumns[static_cast<std::size_t>(column)].width;
}

void BacktestRaceModel::ShowArrived() {
    int arrived = static_cast<int>(run_.Races().size());
    if (arrived <= shown_) {
        return;
    }
    beginInsertRows({}, shown_, arrived - 1);
    shown_ = arrived;
    endInsertRows();
}

void BacktestRaceModel::Clear() {
    beginResetModel();
    shown_ = 0;
    endResetModel();
}

QString BacktestRaceModel::Cell(const BacktestRace& race, int row, int column) const {
    switch (column) {
    case No:
        return QString::number(row + 1);
    case Course:
        return Q(race.course);
    case Meeting:
        return MeetingText(race);
    case RaceNo:
        return RaceNumberText(race);
    case RaceName:
        return RaceNameText(race);
    case Runners:
        return QString::number(race.runnerCount);
    case Grades:
        return Q(race.GradePattern());
    case Pairs:
        return PairsWithMarks(race);
    case Return:
        return YenText(RaceReturn(race));
    case File:
        return Q(race.fileName);
    default:
        return {};
    }
}

QVariant BacktestRaceModel::SortKey(const BacktestRace& race, int row, int column) const {
    switch (column) {
    case No:
        return row;
    case RaceNo:
        return static_cast<int>(CountFromValue(NumericValue(race.raceLine)));
    case Runners:
        return race.runnerCount;
    case Return:
        return static_cast<qlonglong>(RaceReturn(race));
    default:
        return Cell(race, row, column);
    }
}

QString BacktestRaceModel::PairsToolTip(const BacktestRace& race) const {
    QStringList lines;
    for (const BacktestPair& pair : race.pairs) {
        QString line = Q(pair.pair) + QStringLiteral("  馬連 ") + TrimmedText(pair.quinellaOdds) +
                       QStringLiteral("  ﾜｲﾄﾞ ") + TrimmedText(pair.wideOdds).remove(u' ');
        if (pair.refunded) {
            line += QStringLiteral("  返還");
        }
        if (pair.quinellaHit) {
            line += QStringLiteral("  ◎ ") + YenText(pair.quinellaReturn) + QStringLiteral("円");
        }
        if (pair.wideHit) {
            line += QStringLiteral("  ○ ") + YenText(pair.wideReturn) + QStringLiteral("円");
        }
        lines.append(line);
    }
    lines.append(QStringLiteral("投資 ") + YenText(RaceStake(race)) + QStringLiteral("円  払戻 ") +
                 YenText(RaceReturn(race)) + QStringLiteral("円"));
    return lines.join(u'\n');
}

std::vector<FigureRow> FigureRows(const Figures& figures) {
    std::vector<FigureRow> rows;
    rows.push_back({QStringLiteral("全体"), QString(), figures.all});
    auto addMap = [&rows](const QString& breakdown, const std::map<std::string, Tally>& tallies) {
        for (const auto& [group, tally] : tallies) {
            rows.push_back({breakdown, group.empty() ? QStringLiteral("(なし)") : Q(group), tally});
        }
    };
    addMap(QStringLiteral("単1信頼度"), figures.byWin1Grade);
    addMap(QStringLiteral("信頼度ﾊﾟﾀｰﾝ"), figures.byGradePattern);
    addMap(QStringLiteral("場名"), figures.byCourse);
    for (int band = 0; band < kRunnerBandCount; ++band) {
        rows.push_back({QStringLiteral("頭数"), Q(RunnerBandLabel(band)) + QStringLiteral("頭"),
                        figures.byRunnerBand[static_cast<std::size_t>(band)]});
    }
    for (int movement = 0; movement < kWin1MovementCount; ++movement) {
        rows.push_back({QStringLiteral("単1支持率の動き"),
                        Q(Win1MovementLabel(static_cast<Win1Movement>(movement))),
                        figures.byWin1Movement[static_cast<std::size_t>(movement)]});
    }
    for (int group = 0; group < kPairMarkGroupCount; ++group) {
        rows.push_back({QStringLiteral("推奨の異常印"), Q(PairMarkGroupLabel(group)),
                        figures.byPairMark[static_cast<std::size_t>(group)]});
    }
    return rows;
}

const QStringList& FigureColumnCaptions() {
    static const QStringList captions = {
        QStringLiteral("区分"),       QStringLiteral("項目"),       QStringLiteral("ﾚｰｽ数"),
        QStringLiteral("買い目"),     QStringLiteral("返還"),       QStringLiteral("馬連的中"),
        QStringLiteral("ﾜｲﾄﾞ的中"),   QStringLiteral("的中ﾚｰｽ率"),  QStringLiteral("馬連的中率"),
        QStringLiteral("ﾜｲﾄﾞ的中率"), QStringLiteral("投資額"),     QStringLiteral("払戻額"),
        QStringLiteral("馬連回収率"), QStringLiteral("ﾜｲﾄﾞ回収率"), QStringLiteral("回収率")};
    return captions;
}

QStringList FigureCells(const Tally& tally) {
    return {QString::number(tally.races),
            QString::number(tally.pairsBet),
            QString::number(tally.pairsRefunded),
            QString::number(tally.quinella.hits),
            QString::number(tally.wide.hits),
            PercentText(Ratio(tally.racesAnyHit, tally.races)),
            PercentText(PairHitRate(tally, tally.quinella)),
            PercentText(PairHitRate(tally, tally.wide)),
            YenText(tally.TotalStake()),
            YenText(tally.TotalReturn()),
            PercentText(ReturnRate(tally.quinella)),
            PercentText(ReturnRate(tally.wide)),
            PercentText(Ratio(tally.TotalReturn(), tally.TotalStake()))};
}

} // namespace velmora
