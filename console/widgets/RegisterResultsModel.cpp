#include "RegisterResultsModel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QTableView>

#include <array>

namespace Sondrel {

namespace {

enum TResultColumn : int { rcAddress, rcValue, rcTime, rcType };

const std::array<const char*, TRegisterResultsModel::ColumnCount> kCaptions = {"Address", "Value",
                                                                               "Time", "Type"};
const std::array<int, TRegisterResultsModel::ColumnCount> kWidths = {70, 70, 100, 70};

} // namespace

TRegisterResultsModel::TRegisterResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

int TRegisterResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FResults.Count();
}

int TRegisterResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TRegisterResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= FResults.Count() || index.column() >= ColumnCount) {
        return {};
    }
    const TRegisterReadRow& row = FResults.Row(index.row());
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == rcAddress || index.column() == rcValue;
        return QVariant::fromValue(
            Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
    case rcAddress:
        return QString::fromStdString(TRegisterReadResults::AddressText(row));
    case rcValue:
        return QString::fromStdString(FResults.FormattedValueText(index.row(), FFormat, FOrder));
    case rcTime:
        return QString::fromStdString(TRegisterReadResults::TimeText(row));
    default:
        return QString::fromStdString(TRegisterReadResults::KindText(row));
    }
}

QVariant TRegisterResultsModel::headerData(int section, Qt::Orientation orientation,
                                           int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount) {
        return QString::fromLatin1(kCaptions[static_cast<std::size_t>(section)]);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TRegisterResultsModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

void TRegisterResultsModel::AddRead(TRegisterReadKind kind, std::uint16_t start,
                                    const Corvane::TRegValues& values, const TLogTime& time) {
    if (values.empty()) {
        return;
    }
    beginInsertRows(QModelIndex(), 0, static_cast<int>(values.size()) - 1);
    FResults.Prepend(kind, start, values, time);
    endInsertRows();
    if (const std::int32_t excess = FResults.Excess(); excess > 0) {
        beginRemoveRows(QModelIndex(), FResults.Count() - excess, FResults.Count() - 1);
        FResults.TrimToLimit();
        endRemoveRows();
    }
}

void TRegisterResultsModel::SetFormat(TRegisterFormat format, TWordOrder order) {
    FFormat = format;
    FOrder = order;
    if (FResults.Count() > 0) {
        emit dataChanged(index(0, rcValue), index(FResults.Count() - 1, rcValue),
                         {Qt::DisplayRole});
    }
}

void TRegisterResultsModel::Clear() {
    beginResetModel();
    FResults.Clear();
    endResetModel();
}

void SetUpRegisterResultsView(QTableView& view, TRegisterResultsModel& model) {
    view.setModel(&model);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setWordWrap(false);
    view.verticalHeader()->setVisible(false);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 4);
    QHeaderView& header = *view.horizontalHeader();
    header.setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int c = 0; c < TRegisterResultsModel::ColumnCount; ++c) {
        header.resizeSection(c, kWidths[static_cast<std::size_t>(c)]);
    }
    header.setStretchLastSection(true);
}

void BindRegisterFormatChoice(QComboBox& format, QComboBox& order, TRegisterResultsModel& model) {
    format.clear();
    for (const TRegisterFormat f : kRegisterFormats) {
        format.addItem(QString::fromStdString(FormatName(f)), static_cast<int>(f));
    }
    order.clear();
    for (const TWordOrder o : kWordOrders) {
        order.addItem(QString::fromStdString(WordOrderName(o)), static_cast<int>(o));
    }
    const auto apply = [&format, &order, &model] {
        model.SetFormat(static_cast<TRegisterFormat>(format.currentData().toInt()),
                        static_cast<TWordOrder>(order.currentData().toInt()));
    };
    QObject::connect(&format, &QComboBox::currentIndexChanged, &model, apply);
    QObject::connect(&order, &QComboBox::currentIndexChanged, &model, apply);
}

} // namespace Sondrel
