// TRecordListModel: record rows (TRecordRows: the download's record list, or a range of the
// archive) as a Qt table model for a record table view: 27 columns under the rows' captions.
//
// Texts are made on demand from the rows (the model keeps no strings of its own), so a list of
// 62001 records, or an archive range of a million, costs the view nothing per row. Rows of
// records whose "Cnts 1" column reads "65535" are drawn in silver (#C0C0C0), the others in
// black; the header is bold and left-aligned. sort() hands a header click to the rows
// (TRecordRows::Sort); the download's list keeps the order the download gave it.
//
// The model follows the rows through their events, which it takes over while it lives (one
// model per source): appended items become rows through beginInsertRows/endInsertRows, a
// cleared or reordered source resets the model, rewritten captions raise headerDataChanged. It
// keeps its own published row count, so items appended inside an update bracket stay invisible
// to the view until the source reports them.
//
// Main (GUI) thread only. Does not own the rows, which must outlive the model; the destructor
// unhooks their events.
#pragma once

#include "RecordRows.h"

#include <QAbstractTableModel>

class QBrush;
class QTableView;

namespace Sondrel {

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

    TRecordRows& FList;
    // The rows the view has been told about; the list may already hold more.
    std::int32_t FRowCount = 0;
};

// Puts the model into the view with the list view's look: column widths from the list, grid
// lines, whole-row single selection, read-only, fixed row heights (no per-row measuring over
// 62001 rows), no row header, and the sort indicator ascending on the first column with the
// view's own sorting off. With a sortColumn of 0 or more, the view sorts instead: it starts
// sorted ascending by that column, and a header click sorts by its column through sort()
// (again: the other way).
void SetUpRecordListView(QTableView& view, TRecordListModel& model, int sortColumn = -1);

} // namespace Sondrel
