#pragma once

#include "movement/odds_movement.h"

#include <QAbstractTableModel>
#include <QString>

#include <cstdint>

namespace velmora {

// What the odds-movement window shows of the model, apart from the widgets.

// A time as the window lists it ("12/13 09:38:00"); "-" without one.
QString MovementTimeText(std::int64_t epochMs);
// Odds with one decimal, support in percent with one decimal, a change with
// two; "-" where there is no figure.
QString MovementOddsText(double odds);
QString SupportText(double support);
QString ChangeText(double change);
// "単8/複1" for a runner whose win and place ranks lie far apart, else empty.
QString RankGapText(const MovementRunner& runner);

// The runners of the chosen version, one row each. Every cell has a sort key
// (kSortRole) so that numbers sort as numbers.
class MovementRunnerModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum ColumnId {
        No,
        Name,
        WinOddsFirst,
        WinOddsNow,
        WinSupportFirst,
        WinSupportNow,
        WinChange,
        WinMark,
        PlaceOddsFirst,
        PlaceOddsNow,
        PlaceSupportFirst,
        PlaceSupportNow,
        PlaceChange,
        PlaceMark,
        Gap,
        ColumnCount
    };
    static constexpr int kSortRole = Qt::UserRole;

    explicit MovementRunnerModel(QObject* parent);

    // Mirrors the model's runners; null shows none. The model must outlive its showing.
    void Show(const OddsMovement* movement);
    // The horse number of a row.
    int RunnerNo(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString Cell(const MovementRunner& runner, int column) const;
    QVariant SortKey(const MovementRunner& runner, int column) const;

    const OddsMovement* movement_ = nullptr;
};

} // namespace velmora
