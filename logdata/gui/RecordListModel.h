// TRecordListModel: record rows (TRecordRows: the download's record list, or a range of the
// archive) as a Qt table model for a record table view: 27 columns under the rows' captions.
//
// Texts are made on demand from the rows (the model keeps no strings of its own), so a list of
// 62001 records, or an archive range of a million, costs the view nothing per row. Rows of
// records whose "Cnts 1" column reads "65535", and empty records, are drawn in silver
// (#C0C0C0), the others in black; the header is bold and left-aligned.
//
// Sorting (a header click, sort()): a source that orders itself (the archive, which sorts in
// its database: TRecordRows::Sort returns true) is handed the request. Otherwise the model owns
// the order in which it shows the rows, never the rows' own order (which the download sets, by
// record index, and the exporters write). It starts, and after every reset of the rows (a
// download's start and its final sort) returns to, the rows' own order, shown as "Record
// Index" ascending. sort() shows the rows in the order of one column (TRecordRows::OrderBy:
// numbers as numbers, Date and Time together chronologically, rows that leave the column empty
// last); a request for "Record Index" ascending while the rows' own order is shown changes
// nothing. Persistent indexes (the selection) follow their rows. Items appended while a sort
// is shown join at the end.
//
// The model follows the rows through their events, which it takes over while it lives (one
// model per source): appended items become rows through beginInsertRows/endInsertRows, a
// cleared or reordered source resets the model, rewritten captions raise headerDataChanged. It
// keeps its own published row count, so items appended inside an update bracket stay invisible
// to the view until the source reports them.
//
// Marks (SetRowMarks): a mark per list row, drawn as the row's background (an alert: light
// amber, an action: light red), the text keeping its colour. Marks belong to list rows, so they
// follow the rows through the model's own sorts; a reset of the rows (which may reorder or
// replace them) drops them until they are set again.
//
// Main (GUI) thread only. Does not own the rows, which must outlive the model; the destructor
// unhooks their events.
#pragma once

#include "RecordRows.h"

#include <QAbstractTableModel>

#include <vector>

class QBrush;
class QTableView;

namespace Sondrel {

// What a row's background says of its record: beyond an alert or an action limit.
enum class TRowMark : std::uint8_t { None, Alert, Action };

class TRecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TRecordListModel(TRecordRows& rows, QObject* parent = nullptr);
    ~TRecordListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    const TRecordRows& List() const { return FList; }
    // The order shown now: the column and direction, and whether it is the rows' own.
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

    // Marks by list row (shorter: the rest unmarked); every row's background is redrawn.
    void SetRowMarks(std::vector<TRowMark> marks);
    TRowMark RowMark(std::int32_t listRow) const;

private:
    void ItemsAppended(std::int32_t first, std::int32_t count);
    void BeginReset();
    void EndReset();
    void CaptionsChanged();

    TRecordRows& FList;
    // The rows the view has been told about; the list may already hold more.
    std::int32_t FRowCount = 0;
    // The list's own order is shown; else FOrder maps view rows to list rows.
    bool FListOrder = true;
    std::vector<std::int32_t> FOrder;
    int FSortColumn = 0;
    Qt::SortOrder FSortOrder = Qt::AscendingOrder;
    // The rows took the last sort request themselves (TRecordRows::Sort).
    bool FSourceSorts = false;
    std::vector<TRowMark> FMarks;
};

// Puts the model into the view with the list view's look: column widths from the list, grid
// lines, whole-row single selection, read-only, fixed row heights (no per-row measuring over
// 62001 rows), no row header, and sorting by a header click (a click on the sorted column
// reverses it). With the default sortColumn of -1 the model keeps its order over the rows: the
// indicator starts on "Record Index" ascending and shows it again after every reset of the
// model, without a sort. With a sortColumn of 0 or more the rows sort themselves: the view
// starts sorted ascending by that column.
void SetUpRecordListView(QTableView& view, TRecordListModel& model, int sortColumn = -1);

} // namespace Sondrel
