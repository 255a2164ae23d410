// TRegisterResultsModel: the results table of the "Modbus Access" tab, the values that the
// tab's register reads returned (TRegisterReadResults) as a Qt table model with the columns
// "Address", "Value", "Time" and "Type", the newest read on top.
//
// AddRead puts a read's registers above the earlier rows (beginInsertRows at row 0) and then
// drops what the table holds beyond its limit from the end (beginRemoveRows); Clear empties
// it (a model reset), as clearing the transaction log does.
//
// Main (GUI) thread only. Owns its rows.
#pragma once

#include "RegisterReadResults.h"

#include <QAbstractTableModel>

class QComboBox;
class QTableView;

namespace Sondrel {

class TRegisterResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 4;

    explicit TRegisterResultsModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void AddRead(TRegisterReadKind kind, std::uint16_t start, const Corvane::TRegValues& values,
                 const TLogTime& time);
    void Clear();
    // How the Value column shows the registers (see TRegisterReadResults::FormattedValueText).
    void SetFormat(TRegisterFormat format, TWordOrder order);
    TRegisterFormat Format() const { return FFormat; }
    TWordOrder Order() const { return FOrder; }

    const TRegisterReadResults& Results() const { return FResults; }

private:
    TRegisterReadResults FResults;
    TRegisterFormat FFormat = rfUnsigned;
    TWordOrder FOrder = woABCD;
};

// Puts the model into the view: read-only, whole-row selection, no row header, compact rows,
// the last column stretched.
void SetUpRegisterResultsView(QTableView& view, TRegisterResultsModel& model);

// Fills the format and word-order choices (16-bit unsigned and ABCD first, the table's
// default) and lets them set the model's format.
void BindRegisterFormatChoice(QComboBox& format, QComboBox& order, TRegisterResultsModel& model);

} // namespace Sondrel
