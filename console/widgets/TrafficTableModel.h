// TTrafficTableModel: the Traffic view's table over the bounded store of captured frames, with
// the columns "Time", "Direction", "Bytes", "Meaning", "Status", "Gap" and "Response". Rows
// arrive in batches (AppendRows: beginInsertRows at the end, then the oldest rows beyond the
// limit removed from the front), so a busy line costs one model update per batch rather than
// one per frame. Bad, unmatched and mistargeted frames and no-replies are red; echoes grey and
// italic.
//
// TTrafficFilterModel: the rows the filters let through: a direction (sent, received), a
// function code and a status class.
//
// Main (GUI) thread only. The model owns its rows.
#pragma once

#include "TrafficStore.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <optional>

namespace Sondrel {

class TTrafficTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn : int { tcTime, tcDirection, tcBytes, tcMeaning, tcStatus, tcGap, tcResponse };
    static constexpr int ColumnCount = 7;

    explicit TTrafficTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void AppendRows(std::vector<TTrafficRow> rows);
    void Clear();
    // Drops the oldest rows at once when the new limit is lower.
    void SetLimit(std::size_t limit);

    const TTrafficStore& Store() const { return FStore; }
    const TTrafficRow& Row(int row) const { return FStore.Row(static_cast<std::size_t>(row)); }

private:
    void Trim();

    TTrafficStore FStore;
};

enum TTrafficStatusFilter : std::uint8_t {
    tsfAll,
    tsfGood,   // check good, not an echo, not a fault
    tsfFaults, // red rows
    tsfExceptions,
    tsfEchoes,
};

class TTrafficFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit TTrafficFilterModel(QObject* parent = nullptr);

    // Nothing: every direction / function.
    void SetDirection(std::optional<Corvane::TCapturedKind> kind);
    void SetFunction(std::optional<std::uint8_t> function);
    void SetStatus(TTrafficStatusFilter status);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    std::optional<Corvane::TCapturedKind> FDirection;
    std::optional<std::uint8_t> FFunction;
    TTrafficStatusFilter FStatus = tsfAll;
};

} // namespace Sondrel
