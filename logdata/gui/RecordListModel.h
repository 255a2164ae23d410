// TRecordListModel: the record list (TRecordList) as a Qt table model for the Log Data list
// view: 27 columns under the list's captions, one row per record item.
//
// Texts are made on demand from the items (the model keeps no strings of its own), so a list of
// 62001 records costs the view nothing per row. Rows of records whose "Cnts 1" column reads
// "65535", and empty records, are drawn in silver (#C0C0C0), the others in black; the header
// is bold and left-aligned.
//
// Sorting: the model owns the order in which it shows the list, never the list's own order
// (which the download sets, by record index, and the exporters write). It starts, and after
// every reset of the list (a download's start and its final sort) returns to, the list's own
// order, shown as "Record Index" ascending. sort() (a header click) shows the list in the
// order of one column's numbers (SortedRows: numbers as numbers, Date and Time together
// chronologically, rows that leave the column empty last); a request for "Record Index"
// ascending while the list's own order is shown changes nothing. Persistent indexes (the
// selection) follow their rows. Items appended while a sort is shown join at the end.
//
// The model follows the list through its events, which it takes over while it lives (one model
// per list): appended items become rows through beginInsertRows/endInsertRows, a cleared or
// sorted list resets the model, rewritten captions raise headerDataChanged. It keeps its own
// published row count, so items appended inside an update bracket stay invisible to the view
// until the list reports them.
//
// Main (GUI) thread only. Does not own the list, which must outlive the model; the destructor
// unhooks the list's events.
#pragma once

#include "RecordList.h"
#include "RecordSort.h"

#include <QAbstractTableModel>

#include <vector>

class QBrush;
class QTableView;

namespace Sondrel {

class TRecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TRecordListModel(TRecordList& list, QObject* parent = nullptr);
    ~TRecordListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    const TRecordList& List() const { return FList; }
    // The order shown now: the column and direction, and whether it is the list's own.
    int SortColumn() const { return FSortColumn; }
    Qt::SortOrder SortOrder() const { return FSortOrder; }
    bool ShowsListOrder() const { return FListOrder; }
    // The list rows in the order shown (empty: the list's own), for an export of the table as
    // it is seen.
    TRowOrder ShownOrder() const { return FListOrder ? TRowOrder() : FOrder; }
    // The list row shown in view row `row`.
    std::int32_t ListRow(int row) const;

    // The drawing of the list's rows: the text colour of a row's first cell (the item) and of
    // its other cells (the sub-items), silver for a record whose "Cnts 1" reads "65535",
    // black for the others. The view asks for it as the cells' foreground.
    QBrush logListViewCustomDrawItem(int row) const;
    QBrush logListViewCustomDrawSubItem(int row, int column) const;

private:
    void ItemsAppended(std::int32_t first, std::int32_t count);
    void BeginReset();
    void EndReset();
    void CaptionsChanged();

    TRecordList& FList;
    // The rows the view has been told about; the list may already hold more.
    std::int32_t FRowCount = 0;
    // The list's own order is shown; else FOrder maps view rows to list rows.
    bool FListOrder = true;
    std::vector<std::int32_t> FOrder;
    int FSortColumn = 0;
    Qt::SortOrder FSortOrder = Qt::AscendingOrder;
};

// Puts the model into the view with the list view's look: column widths from the list, grid
// lines, whole-row single selection, read-only, fixed row heights (no per-row measuring over
// 62001 rows), no row header, the sort indicator ascending on the first column, and sorting by
// a header click (the model's sort; a click on the sorted column reverses it). After every
// reset of the model the indicator shows "Record Index" ascending again, without a sort.
void SetUpRecordListView(QTableView& view, TRecordListModel& model);

} // namespace Sondrel
