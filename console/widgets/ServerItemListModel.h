// TServerItemListModel: the local server's item map (TServerItemMap) as a Qt table model for
// the item map tab's list: columns "Addr", "Kind", "Value", "Min", "Max", "Status" with the
// texts of RowTexts, rows in the map's order (by kind, then address).
//
// The map has no events of its own, so changes that a view must follow go through the model:
// AddOrOverwriteItem (a new row is inserted where the map puts it; an existing address and kind
// is overwritten in place), EditItem, RemoveItem, RemoveAllItems and LoadItems. A value that a
// remote client wrote into the map behind the model's back is shown by RefreshRow (bind it to
// TServerItemBinding::OnRowChanged). The file is saved by the caller.
//
// Main (GUI) thread only. Does not own the map, which must outlive the model.
#pragma once

#include "ServerItemMap.h"

#include <QAbstractTableModel>

#include <filesystem>

class QTableView;

namespace Sondrel {

class TServerItemListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 6;
    // "Addr" 45, "Kind" 90, "Value" 45, "Min" 45, "Max" 45, "Status" 70.
    static int ColumnWidth(int column);

    explicit TServerItemListModel(TServerItemMap& map, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const TServerItemMap& Map() const { return FMap; }
    const TServerItem& Item(int row) const; // 0 <= row < rowCount()

    // Adds the item, or overwrites the one with the same address and kind; returns its row.
    TServerItemMap::TAddResult AddOrOverwriteItem(const TServerItem& item);
    // Takes the edited item's value, range and write permission into the row.
    void EditItem(int row, const TServerItem& edited);
    void RemoveItem(int row);
    void RemoveAllItems();
    // Replaces the rows with the file's items. A read error propagates after the items read
    // so far became rows (the view shows them).
    void LoadItems(const std::filesystem::path& path);
    // The row's item changed in the map (a remote write): repaint the row.
    void RefreshRow(int row);

    // The list's order: negative, zero or positive as the first row's kind, then its address,
    // is below, equal to or above the second's; a row without an item compares equal to any.
    static int ServerItemsListViewCompare(const TServerItem* first, const TServerItem* second);

private:
    void CheckRow(int row) const;
    // Rows first..last leave the list and their items with them (the map owns the items):
    // removeItems takes them out of the map, between the view's before and after.
    template <typename F>
    void ServerItemsListViewDeletion(int first, int last, F&& removeItems);

    TServerItemMap& FMap;
};

// Puts the model into the view with the item list's look: the column widths (widened where
// the view's font needs more room for a column's widest text), whole-row single selection kept
// visible, read-only, compact rows, no grid and no row header. The model keeps its rows in
// order; the view's own sorting is off.
void SetUpServerItemsListView(QTableView& view, TServerItemListModel& model);

} // namespace Sondrel
