#include "RecordListModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableView>

#include <algorithm>

namespace Sondrel {

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kBlack(0, 0, 0);
const QColor kAlertBackground(0xFF, 0xE4, 0xA8);  // light amber
const QColor kActionBackground(0xFF, 0xC4, 0xC4); // light red

} // namespace

TRecordListModel::TRecordListModel(TRecordRows& list, QObject* parent)
    : QAbstractTableModel(parent), FList(list), FRowCount(list.Count()) {
    FList.OnItemsAppended = [this](std::int32_t first, std::int32_t count) {
        ItemsAppended(first, count);
    };
    FList.OnBeginReset = [this] { BeginReset(); };
    FList.OnEndReset = [this] { EndReset(); };
    FList.OnCaptionsChanged = [this] { CaptionsChanged(); };
}

TRecordListModel::~TRecordListModel() {
    FList.OnItemsAppended = nullptr;
    FList.OnBeginReset = nullptr;
    FList.OnEndReset = nullptr;
    FList.OnCaptionsChanged = nullptr;
}

int TRecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FRowCount;
}

int TRecordListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : TRecordRows::ColumnCount;
}

QVariant TRecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= FRowCount ||
        index.column() >= TRecordRows::ColumnCount) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(FList.Text(ListRow(index.row()), index.column()));
    case Qt::ForegroundRole:
        return index.column() == 0 ? logListViewCustomDrawItem(index.row())
                                   : logListViewCustomDrawSubItem(index.row(), index.column());
    case Qt::BackgroundRole:
        switch (RowMark(ListRow(index.row()))) {
        case TRowMark::Alert:
            return QBrush(kAlertBackground);
        case TRowMark::Action:
            return QBrush(kActionBackground);
        case TRowMark::None:
            break;
        }
        return {};
    default:
        return {};
    }
}

std::int32_t TRecordListModel::ListRow(int row) const {
    if (FListOrder || row < 0 || row >= static_cast<int>(FOrder.size())) {
        return row;
    }
    return FOrder[static_cast<std::size_t>(row)];
}

QBrush TRecordListModel::logListViewCustomDrawItem(int row) const {
    return QBrush(FList.IsSilver(ListRow(row)) ? kSilver : kBlack);
}

QBrush TRecordListModel::logListViewCustomDrawSubItem(int row, int /*column*/) const {
    // Every cell of a row takes the row's colour.
    return logListViewCustomDrawItem(row);
}

void TRecordListModel::SetRowMarks(std::vector<TRowMark> marks) {
    FMarks = std::move(marks);
    if (FRowCount > 0) {
        emit dataChanged(index(0, 0), index(FRowCount - 1, TRecordRows::ColumnCount - 1),
                         {Qt::BackgroundRole});
    }
}

TRowMark TRecordListModel::RowMark(std::int32_t listRow) const {
    return listRow >= 0 && static_cast<std::size_t>(listRow) < FMarks.size()
               ? FMarks[static_cast<std::size_t>(listRow)]
               : TRowMark::None;
}

QVariant TRecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= TRecordRows::ColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(FList.ColumnCaption(section));
    case Qt::FontRole: {
        QFont font;
        font.setBold(true);
        return font;
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case Qt::InitialSortOrderRole:
        // The first click on another column sorts it ascending.
        return static_cast<int>(Qt::AscendingOrder);
    default:
        return {};
    }
}

void TRecordListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= TRecordRows::ColumnCount) {
        return;
    }
    if (FList.Sort(column, order == Qt::AscendingOrder)) {
        // The rows reordered themselves and reset the model.
        FSourceSorts = true;
        FSortColumn = column;
        FSortOrder = order;
        return;
    }
    if (FListOrder && column == 0 && order == Qt::AscendingOrder) {
        // The list's own order is the record index order: nothing moves.
        FSortColumn = column;
        FSortOrder = order;
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    std::vector<std::int32_t> persistentRows;
    persistentRows.reserve(static_cast<std::size_t>(persistent.size()));
    for (const QModelIndex& index : persistent) {
        persistentRows.push_back(ListRow(index.row()));
    }

    TRowOrder rows = FList.OrderBy(column, order == Qt::DescendingOrder);
    // Only the rows the view knows are shown; the list may hold more inside an update bracket.
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [this](std::int32_t row) { return row >= FRowCount; }),
               rows.end());
    FOrder = std::move(rows);
    FListOrder = false;
    FSortColumn = column;
    FSortOrder = order;

    std::vector<int> viewRowOf(static_cast<std::size_t>(FRowCount), -1);
    for (std::size_t viewRow = 0; viewRow < FOrder.size(); ++viewRow) {
        viewRowOf[static_cast<std::size_t>(FOrder[viewRow])] = static_cast<int>(viewRow);
    }
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (qsizetype i = 0; i < persistent.size(); ++i) {
        const std::int32_t listRow = persistentRows[static_cast<std::size_t>(i)];
        const int viewRow =
            listRow >= 0 && listRow < FRowCount ? viewRowOf[static_cast<std::size_t>(listRow)] : -1;
        moved.push_back(viewRow < 0 ? QModelIndex() : index(viewRow, persistent[i].column()));
    }
    changePersistentIndexList(persistent, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

Qt::ItemFlags TRecordListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void TRecordListModel::ItemsAppended(std::int32_t first, std::int32_t count) {
    // Rows already published (a model made while the list was inside an update bracket counts
    // the unreported items from the start) are not inserted twice.
    const std::int32_t newCount = std::min(first + count, FList.Count());
    if (newCount <= FRowCount) {
        return;
    }
    beginInsertRows(QModelIndex(), FRowCount, newCount - 1);
    if (!FListOrder) {
        for (std::int32_t row = FRowCount; row < newCount; ++row) {
            FOrder.push_back(row);
        }
    }
    FRowCount = newCount;
    endInsertRows();
}

void TRecordListModel::BeginReset() {
    beginResetModel();
    FMarks.clear(); // the rows may be others now
}

void TRecordListModel::EndReset() {
    FRowCount = FList.Count();
    // A new or finished download is shown in the list's own order; rows that sort themselves
    // keep the order last asked of them.
    FOrder.clear();
    FListOrder = true;
    if (!FSourceSorts) {
        FSortColumn = 0;
        FSortOrder = Qt::AscendingOrder;
    }
    endResetModel();
}

void TRecordListModel::CaptionsChanged() {
    emit headerDataChanged(Qt::Horizontal, 0, TRecordRows::ColumnCount - 1);
}

void SetUpRecordListView(QTableView& view, TRecordListModel& model, int sortColumn) {
    view.setSortingEnabled(false);
    view.setModel(&model);
    view.setShowGrid(true);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setWordWrap(false);
    view.verticalHeader()->setVisible(false);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 4);
    QHeaderView& header = *view.horizontalHeader();
    header.setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (std::int32_t c = 0; c < TRecordRows::ColumnCount; ++c) {
        header.resizeSection(c, model.List().ColumnWidth(c));
    }
    header.setSortIndicatorShown(true);
    header.setSortIndicator(0, Qt::AscendingOrder);
    header.setSectionsClickable(true);
    if (sortColumn >= 0) {
        // The view asks the model to sort on every header click, the other way on a second one.
        header.setSortIndicator(sortColumn, Qt::AscendingOrder);
        view.setSortingEnabled(true);
        return;
    }
    // Sorting starts with "Record Index" ascending, which the model shows as the list's own
    // order: enabling it moves no row.
    view.setSortingEnabled(true);
    // A reset shows the list's own order again: the indicator follows without a sort.
    QObject::connect(&model, &QAbstractItemModel::modelReset, &view, [&view, &model] {
        const QSignalBlocker blocker(view.horizontalHeader());
        view.horizontalHeader()->setSortIndicator(model.SortColumn(), model.SortOrder());
    });
}

} // namespace Sondrel
