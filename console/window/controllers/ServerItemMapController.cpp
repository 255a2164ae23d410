#include "ServerItemMapController.h"

#include "DialogService.h"
#include "ItemMapPage.h"
#include "ServerItemEditorForm.h"
#include "ServerItemMap.h"
#include "ui_ItemMapPage.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTableView>

#include <array>

namespace Sondrel {

TServerItemMapController::TServerItemMapController(TServerItemMapParts parts, QObject* parent)
    : QObject(parent), FParts(std::move(parts)) {}

QTableView& TServerItemMapController::ListView() const {
    return *FParts.Page.Form().ServerItemsListView;
}

void TServerItemMapController::Bind() {
    auto& page = FParts.Page.Form();
    FModel = new TServerItemListModel(FParts.Items, this);
    SetUpServerItemsListView(*page.ServerItemsListView, *FModel);

    FAddMenu = new QMenu(page.AddButton);
    FAddMenu->setObjectName(QStringLiteral("AddServerItemMenu"));
    constexpr std::array kinds{ikCoil, ikDiscreteInput, ikHoldingRegister, ikInputRegister};
    for (const TServerItemKind kind : kinds) {
        const std::string_view text = ServerItemKindText(kind);
        QAction* action = FAddMenu->addAction(
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        connect(action, &QAction::triggered, this, [this, kind] { AddServerItemClick(kind); });
    }

    connect(page.AddButton, &QPushButton::clicked, this, [this] { AddButtonClick(); });
    connect(page.EditButton, &QPushButton::clicked, this, [this] { EditButtonClick(); });
    connect(page.RemoveButton, &QPushButton::clicked, this, [this] { RemoveButtonClick(); });
    connect(page.RemoveAllButton, &QPushButton::clicked, this, [this] { RemoveAllButtonClick(); });
    connect(page.ServerItemsListView, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { ServerItemsListViewDblClick(index.row()); });
    page.ServerItemsListView->installEventFilter(this);
}

bool TServerItemMapController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &ListView() && event->type() == QEvent::KeyPress &&
        ServerItemsListViewKeyDown(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool TServerItemMapController::ServerItemsListViewKeyDown(const QKeyEvent& key) {
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) {
        return false;
    }
    const auto row = SelectedRow();
    if (!row) {
        return false;
    }
    EditRow(*row);
    return true;
}

std::optional<int> TServerItemMapController::SelectedRow() const {
    const QModelIndexList rows = ListView().selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    return rows.front().row();
}

void TServerItemMapController::SelectRow(int row) {
    ListView().selectRow(row);
}

bool TServerItemMapController::EditItem(TServerItem& item, bool isNew) {
    TServerItemEditorSeams seams;
    seams.ShowError = [this](const QString& text) { FParts.Dialogs.ShowError(text); };
    seams.ExecDialog = [this](QDialog& dialog) { return FParts.Dialogs.ExecDialog(dialog); };
    return EditServerItem(item, isNew, seams, &FParts.EditorParent);
}

void TServerItemMapController::SaveServerItems() {
    // The map in memory keeps the change when the file cannot be written.
    try {
        FParts.Items.SaveServerItems(FParts.ItemsFile);
    } catch (const std::exception& e) {
        FParts.Dialogs.ShowError(QString::fromStdString(e.what()));
    }
}

void TServerItemMapController::AddButtonClick() {
    QPushButton* button = FParts.Page.Form().AddButton;
    FAddMenu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void TServerItemMapController::AddServerItemClick(TServerItemKind kind) {
    TServerItem item = NewServerItem(kind);
    if (!EditItem(item, true)) {
        return;
    }
    const auto result = FModel->AddOrOverwriteItem(item);
    SelectRow(static_cast<int>(result.Row));
    SaveServerItems();
}

void TServerItemMapController::EditRow(int row) {
    TServerItem item = FModel->Item(row);
    if (!EditItem(item, false)) {
        return;
    }
    FModel->EditItem(row, item);
    SaveServerItems();
}

void TServerItemMapController::EditButtonClick() {
    const auto row = SelectedRow();
    if (!row) {
        QApplication::beep();
        return;
    }
    EditRow(*row);
}

void TServerItemMapController::ServerItemsListViewDblClick(int row) {
    if (row < 0 || row >= FModel->rowCount()) {
        return;
    }
    SelectRow(row);
    EditRow(row);
}

void TServerItemMapController::RemoveButtonClick() {
    const auto row = SelectedRow();
    if (!row) {
        QApplication::beep();
        return;
    }
    if (!FParts.Dialogs.AskYesNo(QApplication::applicationDisplayName(),
                                 QStringLiteral("Remove selected entry from the item map?"),
                                 false)) {
        return;
    }
    FModel->RemoveItem(*row);
    SaveServerItems();
}

void TServerItemMapController::RemoveAllButtonClick() {
    if (FModel->rowCount() == 0) {
        QApplication::beep();
        return;
    }
    if (!FParts.Dialogs.AskYesNo(QApplication::applicationDisplayName(),
                                 QStringLiteral("Remove all entries from the item map?"), false)) {
        return;
    }
    FModel->RemoveAllItems();
    SaveServerItems();
}

void TServerItemMapController::RefreshRow(std::size_t row) {
    if (row < static_cast<std::size_t>(FModel->rowCount())) {
        FModel->RefreshRow(static_cast<int>(row));
    }
}

} // namespace Sondrel
