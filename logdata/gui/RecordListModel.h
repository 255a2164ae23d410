// TRecordListModel: the record list (TRecordList) as a Qt table model for the Log Data list
// view: 27 columns under the list's captions, one row per record item.
//
// Texts are made on demand from the items (the model keeps no strings of its own), so a list of
// 62001 records costs the view nothing per row. Rows of records whose "Cnts 1" column reads
// "65535" are drawn in silver (#C0C0C0), the others in black; the header is bold and
// left-aligned. The list is sorted by the download, never by the view: sort() does nothing, and
// SetUpRecordListView shows the sort indicator ascending on "Record Index".
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

#include <QAbstractTableModel>

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

    const TRecordList& List() const { return FList; }

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
};

// Puts the model into the view with the list view's look: column widths from the list, grid
// lines, whole-row single selection, read-only, fixed row heights (no per-row measuring over
// 62001 rows), no row header, and the sort indicator ascending on the first column with the
// view's own sorting off.
void SetUpRecordListView(QTableView& view, TRecordListModel& model);

} // namespace Sondrel
