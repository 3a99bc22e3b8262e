#include "ui/odds_movement_models.h"

#include <QDateTime>

#include <array>
#include <cmath>

namespace velmora {
namespace {

const SupportMove& WinOrPlace(const MovementRunner& runner, int column) {
    return column < MovementRunnerModel::PlaceOddsFirst ? runner.move.win : runner.move.place;
}

// The same six figures for the win and for the place odds, counted from the
// first column of each.
enum MoveField { OddsFirst, OddsNow, SupportFirst, SupportNow, Change, Mark };

MoveField FieldOf(int column) {
    const int first = column < MovementRunnerModel::PlaceOddsFirst ? MovementRunnerModel::WinOddsFirst
                                                                   : MovementRunnerModel::PlaceOddsFirst;
    return static_cast<MoveField>(column - first);
}

QString MoveCell(const SupportMove& move, MoveField field) {
    switch (field) {
    case OddsFirst:
        return MovementOddsText(move.firstOdds);
    case OddsNow:
        return MovementOddsText(move.nowOdds);
    case SupportFirst:
        return SupportText(move.firstSupport);
    case SupportNow:
        return SupportText(move.nowSupport);
    case Change:
        return ChangeText(move.change);
    case Mark:
        return QString::fromUtf8(MoveMarkText(move.mark));
    }
    return {};
}

QVariant MoveSortKey(const SupportMove& move, MoveField field) {
    switch (field) {
    case OddsFirst:
        return move.firstOdds;
    case OddsNow:
        return move.nowOdds;
    case SupportFirst:
        return move.firstSupport;
    case SupportNow:
        return move.nowSupport;
    case Change:
    case Mark:
        return move.change;
    }
    return {};
}

} // namespace

QString MovementTimeText(std::int64_t epochMs) {
    if (epochMs <= 0) {
        return QStringLiteral("-");
    }
    return QDateTime::fromMSecsSinceEpoch(epochMs).toString(QStringLiteral("MM/dd HH:mm:ss"));
}

QString MovementOddsText(double odds) {
    return odds > 0.0 ? QString::number(odds, 'f', 1) : QStringLiteral("-");
}

QString SupportText(double support) {
    return support > 0.0 ? QString::number(support * 100.0, 'f', 1) + u'%' : QStringLiteral("-");
}

QString ChangeText(double change) {
    return change > 0.0 ? QString::number(change, 'f', 2) : QStringLiteral("-");
}

QString RankGapText(const MovementRunner& runner) {
    if (!runner.rankGap) {
        return {};
    }
    return QStringLiteral("単%1/複%2").arg(runner.rankGap->winRank).arg(runner.rankGap->placeRank);
}

MovementRunnerModel::MovementRunnerModel(QObject* parent) : QAbstractTableModel(parent) {}

void MovementRunnerModel::Show(const OddsMovement* movement) {
    beginResetModel();
    movement_ = movement;
    endResetModel();
}

int MovementRunnerModel::RunnerNo(int row) const {
    if (movement_ == nullptr || row < 0 || row >= rowCount()) {
        return 0;
    }
    return movement_->Runners()[static_cast<std::size_t>(row)].no;
}

int MovementRunnerModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || movement_ == nullptr ? 0 : static_cast<int>(movement_->Runners().size());
}

int MovementRunnerModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MovementRunnerModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const MovementRunner& runner = movement_->Runners()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return Cell(runner, index.column());
    case kSortRole:
        return SortKey(runner, index.column());
    case Qt::TextAlignmentRole:
        if (index.column() == Name || index.column() == Gap) {
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        }
        if (index.column() == WinMark || index.column() == PlaceMark) {
            return QVariant::fromValue(Qt::AlignCenter);
        }
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QString MovementRunnerModel::Cell(const MovementRunner& runner, int column) const {
    switch (column) {
    case No:
        return QString::number(runner.no);
    case Name:
        return QString::fromStdString(runner.name).trimmed();
    case Gap:
        return RankGapText(runner);
    default:
        return MoveCell(WinOrPlace(runner, column), FieldOf(column));
    }
}

QVariant MovementRunnerModel::SortKey(const MovementRunner& runner, int column) const {
    switch (column) {
    case No:
        return runner.no;
    case Name:
        return Cell(runner, column);
    case Gap:
        return runner.rankGap ? std::abs(runner.rankGap->winRank - runner.rankGap->placeRank) : 0;
    default:
        return MoveSortKey(WinOrPlace(runner, column), FieldOf(column));
    }
}

QVariant MovementRunnerModel::headerData(int section, Qt::Orientation orientation, int role) const {
    // Two lines each, so that the whole table fits the window's width.
    static const std::array<const char*, ColumnCount> kCaptions = {
        "馬番",         "馬名",       "単ｵｯｽﾞ\n最初", "単ｵｯｽﾞ\n今",   "支持率\n最初",
        "支持率\n今",   "変化",       "印",           "複ｵｯｽﾞ\n最初", "複ｵｯｽﾞ\n今",
        "支持率\n最初", "支持率\n今", "変化",         "印",           "単複人気\nのずれ"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kCaptions[static_cast<std::size_t>(section)]);
}

} // namespace velmora
