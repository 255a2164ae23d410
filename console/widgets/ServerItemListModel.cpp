#include "ServerItemListModel.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace Sondrel {

namespace {

constexpr std::array<const char*, TServerItemListModel::ColumnCount> kCaptions = {
    "Addr", "Kind", "Value", "Min", "Max", "Status"};
constexpr std::array<int, TServerItemListModel::ColumnCount> kWidths = {45, 90, 45, 45, 45, 70};
// The widest text that each column can show.
const std::array<QString, TServerItemListModel::ColumnCount> kWidestTexts = {
    "65535", "Holding Register", "65535", "65535", "65535", "Read/Write"};

// The map's rows are size_t; a Qt model counts in int. A map holds at most 4 x 65536 rows.
int ToRow(std::size_t row) {
    return static_cast<int>(row);
}

} // namespace

int TServerItemListModel::ColumnWidth(int column) {
    return column >= 0 && column < ColumnCount ? kWidths[static_cast<std::size_t>(column)] : 0;
}

TServerItemListModel::TServerItemListModel(TServerItemMap& map, QObject* parent)
    : QAbstractTableModel(parent), FMap(map) {}

int TServerItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ToRow(FMap.RowCount());
}

int TServerItemListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TServerItemListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount() ||
        index.column() >= ColumnCount) {
        return {};
    }
    const auto texts = RowTexts(Item(index.row()));
    return QString::fromStdString(texts[static_cast<std::size_t>(index.column())]);
}

QVariant TServerItemListModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount) {
        return QString::fromLatin1(kCaptions[static_cast<std::size_t>(section)]);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TServerItemListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

const TServerItem& TServerItemListModel::Item(int row) const {
    CheckRow(row);
    return FMap.Row(static_cast<std::size_t>(row));
}

void TServerItemListModel::CheckRow(int row) const {
    if (row < 0 || row >= rowCount()) {
        throw std::out_of_range("Server item row out of range");
    }
}

TServerItemMap::TAddResult TServerItemListModel::AddOrOverwriteItem(const TServerItem& item) {
    if (const auto existing = FMap.FindServerItem(item.Address, item.Kind)) {
        const auto result = FMap.AddOrOverwrite(item);
        RefreshRow(ToRow(*existing));
        return result;
    }
    if (!IsKnownKind(item.Kind)) {
        return FMap.AddOrOverwrite(item); // raises std::invalid_argument, nothing changes
    }
    // The row the map will insert at: after every row that sorts before the item.
    int row = 0;
    int end = rowCount();
    while (row < end) {
        const int middle = row + (end - row) / 2;
        if (ServerItemsListViewCompare(&Item(middle), &item) < 0) {
            row = middle + 1;
        } else {
            end = middle;
        }
    }
    beginInsertRows(QModelIndex(), row, row);
    const auto result = FMap.AddOrOverwrite(item);
    endInsertRows();
    return result;
}

void TServerItemListModel::EditItem(int row, const TServerItem& edited) {
    CheckRow(row);
    FMap.EditRow(static_cast<std::size_t>(row), edited);
    RefreshRow(row);
}

int TServerItemListModel::ServerItemsListViewCompare(const TServerItem* first,
                                                     const TServerItem* second) {
    if (first == nullptr || second == nullptr) {
        return 0;
    }
    return CompareServerItems(*first, *second);
}

template <typename F>
void TServerItemListModel::ServerItemsListViewDeletion(int first, int last, F&& removeItems) {
    beginRemoveRows(QModelIndex(), first, last);
    removeItems();
    endRemoveRows();
}

void TServerItemListModel::RemoveItem(int row) {
    CheckRow(row);
    ServerItemsListViewDeletion(row, row, [&] { FMap.RemoveRow(static_cast<std::size_t>(row)); });
}

void TServerItemListModel::RemoveAllItems() {
    if (rowCount() == 0) {
        return;
    }
    ServerItemsListViewDeletion(0, rowCount() - 1, [&] { FMap.RemoveAll(); });
}

void TServerItemListModel::LoadItems(const std::filesystem::path& path) {
    beginResetModel();
    try {
        FMap.LoadServerItems(path);
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void TServerItemListModel::RefreshRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::DisplayRole});
}

void SetUpServerItemsListView(QTableView& view, TServerItemListModel& model) {
    view.setSortingEnabled(false);
    view.setModel(&model);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setWordWrap(false);
    view.setShowGrid(false);
    view.verticalHeader()->setVisible(false);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 6);
    view.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The widths are those of the item list; a larger font than the one they were chosen for
    // widens a column to its widest text instead of cutting it off.
    const QFontMetrics metrics = view.fontMetrics();
    for (int c = 0; c < TServerItemListModel::ColumnCount; ++c) {
        const int widest = metrics.horizontalAdvance(kWidestTexts[static_cast<std::size_t>(c)]);
        view.setColumnWidth(c, std::max(TServerItemListModel::ColumnWidth(c), widest + 12));
    }
}

} // namespace Sondrel
