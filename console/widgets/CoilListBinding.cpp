#include "CoilListBinding.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTreeWidget>

namespace Sondrel {

namespace {

void FocusWhenPossible(QWidget& edit) {
    if (edit.isVisible() && edit.isEnabled()) {
        edit.setFocus();
    }
}

} // namespace

TCoilListBinding::TCoilListBinding(QTreeWidget& list, QLineEdit& startEdit, QLineEdit& countEdit,
                                   QAbstractButton& writeSingleButton, TShowError showError,
                                   QObject* parent)
    : QObject(parent), FListView(list), FStartEdit(startEdit), FCountEdit(countEdit),
      FWriteSingleButton(writeSingleButton), FShowError(std::move(showError)) {
    FListView.setColumnCount(1);
    FListView.setHeaderLabels({QStringLiteral("Address")});
    FListView.setRootIsDecorated(false);
    FListView.setUniformRowHeights(true);
    FListView.setSelectionMode(QAbstractItemView::SingleSelection);
    FListView.setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(&FListView, &QTreeWidget::itemChanged, this, &TCoilListBinding::ItemChanged);
}

bool TCoilListBinding::RebuildCoilList() {
    const TEditRangesCheck check =
        FList.Rebuild(FStartEdit.text().toStdString(), FCountEdit.text().toStdString());
    if (!check.Ok) {
        FocusWhenPossible(check.FailedEdit == TCoilWriteList::StartEdit ? FStartEdit : FCountEdit);
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
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                       Qt::ItemNeverHasChildren);
    }
    for (int i = 0; i < count; ++i) {
        const auto& row = FList.Row(static_cast<std::size_t>(i));
        QTreeWidgetItem* item = FListView.topLevelItem(i);
        item->setText(0, QString::fromStdString(row.Text));
        item->setCheckState(0, row.Checked ? Qt::Checked : Qt::Unchecked);
    }
    FListView.setUpdatesEnabled(true);
    FShowing = false;
    FWriteSingleButton.setEnabled(FList.WriteSingleEnabled());
    return true;
}

void TCoilListBinding::ItemChanged(QTreeWidgetItem* item, int column) {
    const int row = FListView.indexOfTopLevelItem(item);
    if (FShowing || column != 0 || row < 0 || static_cast<std::size_t>(row) >= FList.Count()) {
        return;
    }
    FList.SetChecked(static_cast<std::size_t>(row), item->checkState(0) == Qt::Checked);
}

} // namespace Sondrel
