#include "TrafficTableModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <array>

namespace Sondrel {

namespace {

const std::array<const char*, TTrafficTableModel::ColumnCount> kCaptions = {
    "Time", "Direction", "Bytes", "Meaning", "Status", "Gap", "Response"};

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// A cell shows at most this many characters: laying out a long line of a 256-byte frame's hex
// on every repaint would cost the window more than the whole rest of the view. The tooltip
// and the capture files have all of it.
constexpr std::size_t kCellCharacters = 120;

QString CellText(const std::string& text) {
    if (text.size() <= kCellCharacters) {
        return Text(text);
    }
    return Text(text.substr(0, kCellCharacters)) + QStringLiteral(" ...");
}

} // namespace

TTrafficTableModel::TTrafficTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int TTrafficTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FStore.Count());
}

int TTrafficTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TTrafficTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 ||
        static_cast<std::size_t>(index.row()) >= FStore.Count()) {
        return {};
    }
    const TTrafficRow& row = Row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case tcTime:
            return Text(TrafficTimeText(row));
        case tcDirection:
            return Text(TrafficDirectionText(row));
        case tcBytes:
            return CellText(TrafficBytesText(row, kCellCharacters + 1));
        case tcMeaning:
            return CellText(row.Meaning.Text);
        case tcStatus:
            return Text(TrafficStatusText(row));
        case tcGap:
            return Text(TrafficMicrosecondsText(row.GapUs));
        case tcResponse:
            return Text(TrafficMicrosecondsText(row.ResponseUs));
        default:
            return {};
        }
    case Qt::ToolTipRole:
        if (index.column() == tcBytes) {
            return Text(TrafficBytesText(row));
        }
        if (index.column() == tcMeaning) {
            return Text(row.Meaning.Text);
        }
        return {};
    case Qt::ForegroundRole:
        if (IsTrafficFault(row)) {
            return QBrush(QColor(Qt::red));
        }
        if (row.Role == trEcho) {
            return QBrush(QColor(Qt::darkGray));
        }
        return {};
    case Qt::FontRole:
        if (row.Role == trEcho) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == tcGap || index.column() == tcResponse) {
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        }
        return {};
    default:
        return {};
    }
}

QVariant TTrafficTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount) {
        return QString::fromLatin1(kCaptions[static_cast<std::size_t>(section)]);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void TTrafficTableModel::AppendRows(std::vector<TTrafficRow> rows) {
    if (rows.empty()) {
        return;
    }
    // A batch larger than the limit keeps only its newest rows.
    if (rows.size() > FStore.Limit()) {
        rows.erase(rows.begin(), rows.end() - static_cast<std::ptrdiff_t>(FStore.Limit()));
    }
    const int first = static_cast<int>(FStore.Count());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    FStore.Append(std::move(rows));
    endInsertRows();
    Trim();
}

void TTrafficTableModel::Trim() {
    if (const std::size_t excess = FStore.Excess(); excess > 0) {
        beginRemoveRows(QModelIndex(), 0, static_cast<int>(excess) - 1);
        FStore.TrimToLimit();
        endRemoveRows();
    }
}

void TTrafficTableModel::Clear() {
    beginResetModel();
    FStore.Clear();
    endResetModel();
}

void TTrafficTableModel::SetLimit(std::size_t limit) {
    FStore.SetLimit(limit);
    Trim();
}

TTrafficFilterModel::TTrafficFilterModel(QObject* parent) : QSortFilterProxyModel(parent) {}

void TTrafficFilterModel::SetDirection(std::optional<Corvane::TCapturedKind> kind) {
    FDirection = kind;
    invalidateFilter();
}

void TTrafficFilterModel::SetFunction(std::optional<std::uint8_t> function) {
    FFunction = function;
    invalidateFilter();
}

void TTrafficFilterModel::SetStatus(TTrafficStatusFilter status) {
    FStatus = status;
    invalidateFilter();
}

bool TTrafficFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const auto* model = static_cast<const TTrafficTableModel*>(sourceModel());
    if (model == nullptr || sourceRow < 0 || sourceRow >= model->rowCount()) {
        return false;
    }
    const TTrafficRow& row = model->Row(sourceRow);
    if (FDirection && row.Frame.Kind != *FDirection &&
        !(*FDirection == Corvane::ckReceived && row.Frame.Kind == Corvane::ckNoReply)) {
        return false;
    }
    if (FFunction && (!row.Meaning.Known || row.Meaning.Function != *FFunction)) {
        return false;
    }
    switch (FStatus) {
    case tsfAll:
        return true;
    case tsfGood:
        return !IsTrafficFault(row) && row.Role != trEcho;
    case tsfFaults:
        return IsTrafficFault(row);
    case tsfExceptions:
        return row.Meaning.Exception;
    case tsfEchoes:
        return row.Role == trEcho;
    }
    return true;
}

} // namespace Sondrel
