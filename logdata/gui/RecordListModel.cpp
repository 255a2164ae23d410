#include "RecordListModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QTableView>

namespace Sondrel {

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kBlack(0, 0, 0);

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
        return QString::fromStdString(FList.Text(index.row(), index.column()));
    case Qt::ForegroundRole:
        return index.column() == 0 ? logListViewCustomDrawItem(index.row())
                                   : logListViewCustomDrawSubItem(index.row(), index.column());
    default:
        return {};
    }
}

QBrush TRecordListModel::logListViewCustomDrawItem(int row) const {
    return QBrush(FList.IsSilver(row) ? kSilver : kBlack);
}

QBrush TRecordListModel::logListViewCustomDrawSubItem(int row, int /*column*/) const {
    // Every cell of a row takes the row's colour.
    return logListViewCustomDrawItem(row);
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
    default:
        return {};
    }
}

Qt::ItemFlags TRecordListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void TRecordListModel::sort(int column, Qt::SortOrder order) {
    FList.Sort(column, order == Qt::AscendingOrder);
}

void TRecordListModel::ItemsAppended(std::int32_t first, std::int32_t count) {
    // Rows already published (a model made while the list was inside an update bracket counts
    // the unreported items from the start) are not inserted twice.
    const std::int32_t newCount = std::min(first + count, FList.Count());
    if (newCount <= FRowCount) {
        return;
    }
    beginInsertRows(QModelIndex(), FRowCount, newCount - 1);
    FRowCount = newCount;
    endInsertRows();
}

void TRecordListModel::BeginReset() {
    beginResetModel();
}

void TRecordListModel::EndReset() {
    FRowCount = FList.Count();
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
    header.setSectionsClickable(sortColumn >= 0);
    if (sortColumn >= 0) {
        // The view asks the model to sort on every header click, the other way on a second one.
        header.setSortIndicator(sortColumn, Qt::AscendingOrder);
        view.setSortingEnabled(true);
    }
}

} // namespace Sondrel
