// TServerItemMapController: the "Local Server's Item Map" tab of the main window. It puts the
// window's item map (TServerItemMap, already loaded and serving ModbusServer1) into
// ServerItemsListView through a TServerItemListModel and gives the tab its commands: "Add..."
// (a pop-up menu of the four kinds), "Edit", "Remove", "Remove All", Enter and double-click in
// the list. Every change runs the item editor or a Yes/No question through the window's dialog
// service and then saves "ServerItems.dat"; a save error is shown once and the map keeps the
// change. RefreshRow repaints a row whose value a remote client wrote.
//
// It is given its parts (TServerItemMapParts): the page, the map and its file, the dialog
// service and the editor's parent; it never sees the window.
//
// Main (GUI) thread only. Owned by the window (a child QObject); every part is borrowed and
// must outlive it.
#pragma once

#include "ServerItem.h"
#include "ServerItemListModel.h"

#include <QObject>

#include <cstddef>
#include <filesystem>
#include <optional>

class QKeyEvent;
class QMenu;
class QTableView;
class QWidget;

namespace Sondrel {

class IDialogService;
class TItemMapPage;
class TServerItemMap;

struct TServerItemMapParts {
    TItemMapPage& Page;              // "Local Server's Item Map"
    TServerItemMap& Items;           // the map that ModbusServer1 answers from
    std::filesystem::path ItemsFile; // "ServerItems.dat"
    IDialogService& Dialogs;         // the editor, the questions and the error boxes
    QWidget& EditorParent;           // the item editor's parent window
};

class TServerItemMapController : public QObject {
    Q_OBJECT
public:
    TServerItemMapController(TServerItemMapParts parts, QObject* parent);

    // Sets up the list with the model and connects the buttons, the menu and the list.
    void Bind();

    void AddButtonClick();
    // Adds an item of the kind through the editor (an existing address and kind is overwritten).
    void AddServerItemClick(TServerItemKind kind);
    void EditButtonClick();
    void RemoveButtonClick();
    void RemoveAllButtonClick();
    void ServerItemsListViewDblClick(int row);
    // Enter in the list edits the selected row; true when the key was taken (then swallowed).
    bool ServerItemsListViewKeyDown(const QKeyEvent& key);
    void RefreshRow(std::size_t row);

    TServerItemListModel& Model() { return *FModel; }
    QMenu& AddMenu() { return *FAddMenu; }

protected:
    // Enter in the list edits the selected row.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<int> SelectedRow() const;
    void SelectRow(int row);
    bool EditItem(TServerItem& item, bool isNew);
    void EditRow(int row);
    void SaveServerItems();

    QTableView& ListView() const;

    TServerItemMapParts FParts;
    TServerItemListModel* FModel = nullptr;
    QMenu* FAddMenu = nullptr;
};

} // namespace Sondrel
