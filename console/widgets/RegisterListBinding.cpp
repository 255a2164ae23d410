#include "RegisterListBinding.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>

#include <algorithm>

namespace Sondrel {

namespace {

void FocusWhenPossible(QWidget& edit) {
    if (edit.isVisible() && edit.isEnabled()) {
        edit.setFocus();
    }
}

constexpr int kAddressColumnWidth = 90;

} // namespace

TRegisterListBinding::TRegisterListBinding(QTreeWidget& list, QLineEdit& startEdit,
                                           QLineEdit& countEdit, QAbstractButton& writeSingleButton,
                                           TShowError showError, QObject* parent)
    : QObject(parent), FListView(list), FStartEdit(startEdit), FCountEdit(countEdit),
      FWriteSingleButton(writeSingleButton), FShowError(std::move(showError)) {
    FListView.setColumnCount(2);
    FListView.setHeaderLabels({QStringLiteral("Address"), QStringLiteral("Value")});
    // 90 pixels, or the widest label's width where the font needs more.
    FListView.setColumnWidth(
        AddressColumn,
        std::max(kAddressColumnWidth,
                 FListView.fontMetrics().horizontalAdvance(QStringLiteral("Register 65537")) + 12));
    FListView.setRootIsDecorated(false);
    FListView.setUniformRowHeights(true);
    FListView.setSelectionMode(QAbstractItemView::SingleSelection);
    // Only the value cell is edited, and only when asked (Enter, double-click).
    FListView.setEditTriggers(QAbstractItemView::NoEditTriggers);
    FListView.installEventFilter(this);
    connect(&FListView, &QTreeWidget::itemChanged, this,
            &TRegisterListBinding::RegisterListViewEdited);
    connect(&FListView, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int) { RegisterListViewDblClick(item); });
}

bool TRegisterListBinding::RebuildRegisterList(bool connectionOpen) {
    const TEditRangesCheck check =
        FList.Rebuild(FStartEdit.text().toStdString(), FCountEdit.text().toStdString());
    if (!check.Ok) {
        FocusWhenPossible(check.FailedEdit == TRegisterWriteList::StartEdit ? FStartEdit
                                                                            : FCountEdit);
        ShowErrorThrough(FShowError, FListView.window(), QString::fromStdString(check.Error));
        return false;
    }
    FShowing = true;
    FListView.setUpdatesEnabled(false);
    const int count = static_cast<int>(FList.Count());
    while (FListView.topLevelItemCount() > count) {
        delete FListView.takeTopLevelItem(FListView.topLevelItemCount() - 1);
    }
    while (FListView.topLevelItemCount() < count) {
        auto* item = new QTreeWidgetItem(&FListView);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable |
                       Qt::ItemNeverHasChildren);
    }
    for (int i = 0; i < count; ++i) {
        const auto& row = FList.Row(static_cast<std::size_t>(i));
        QTreeWidgetItem* item = FListView.topLevelItem(i);
        item->setText(AddressColumn, QString::fromStdString(row.AddressText));
        item->setText(ValueColumn, QString::fromStdString(row.Value));
    }
    FListView.setUpdatesEnabled(true);
    FShowing = false;
    if (const auto enabled = FList.WriteSingleEnabled(connectionOpen)) {
        FWriteSingleButton.setEnabled(*enabled);
    }
    return true;
}

bool TRegisterListBinding::EditValue(int row) {
    QTreeWidgetItem* item = row >= 0 ? FListView.topLevelItem(row) : nullptr;
    if (item == nullptr) {
        return false;
    }
    FListView.setCurrentItem(item);
    FListView.editItem(item, ValueColumn);
    return true;
}

bool TRegisterListBinding::RegisterListViewKeyDown(const QKeyEvent& key) {
    QTreeWidgetItem* current = FListView.currentItem();
    if ((key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) || current == nullptr ||
        !current->isSelected()) {
        return false;
    }
    const int row = FListView.indexOfTopLevelItem(current);
    // While an editor is open it has the keys; this only guards a stray event.
    if (FListView.indexWidget(FListView.model()->index(row, ValueColumn)) == nullptr) {
        EditValue(row);
    }
    return true;
}

void TRegisterListBinding::RegisterListViewDblClick(QTreeWidgetItem* item) {
    EditValue(FListView.indexOfTopLevelItem(item));
}

bool TRegisterListBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &FListView && event->type() == QEvent::KeyPress &&
        RegisterListViewKeyDown(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TRegisterListBinding::RegisterListViewEdited(QTreeWidgetItem* item, int column) {
    const int row = FListView.indexOfTopLevelItem(item);
    if (FShowing || row < 0 || static_cast<std::size_t>(row) >= FList.Count()) {
        return;
    }
    std::optional<std::string> error;
    if (column == ValueColumn) {
        error = FList.EditValue(static_cast<std::size_t>(row), item->text(column).toStdString());
    }
    // The cell shows what the list stored: the wrapped value, the old one after a bad text,
    // and the label again should anything else have been edited.
    const auto& stored = FList.Row(static_cast<std::size_t>(row));
    FShowing = true;
    item->setText(ValueColumn, QString::fromStdString(stored.Value));
    item->setText(AddressColumn, QString::fromStdString(stored.AddressText));
    FShowing = false;
    if (error) {
        // Shown once the editor has closed, not from inside its commit.
        const QString text = QString::fromStdString(*error);
        QMetaObject::invokeMethod(
            this, [this, text] { ShowErrorThrough(FShowError, FListView.window(), text); },
            Qt::QueuedConnection);
    }
}

} // namespace Sondrel
