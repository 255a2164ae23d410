// TRegisterListBinding: the register write list of the "Register Write" group on its widgets.
// It keeps a TRegisterWriteList and shows it in the list: column "Address" (width 90, wider
// where the font needs it for "Register 65537"; the "Register %d" label) first, then "Value",
// the only cell the operator edits in place.
//
// RebuildRegisterList is the handler of the start and count edits losing focus (and runs once
// at creation): a bad edit gets the focus when it can take it and its error is shown through
// the seam; otherwise the rows follow the edits and, while the connection is open,
// "Write Single Register" is enabled exactly when the list has one row.
//
// Editing: Enter starts editing the selected row's value when no edit is running (the key is
// swallowed); a double-click edits the value of the row under the mouse. When an edit ends the
// text is stored as the decimal form of its low 16 bits (70000 -> 4464); a text that is not an
// integer restores the old value and "You've entered an invalid value for '%s'" is shown
// through the seam once the editor has closed.
//
// The write requests read List(): StartAddress() and Values().
//
// Main (GUI) thread only. A child of the page or window that owns the widgets; the widgets
// must outlive it.
#pragma once

#include "MessageSeams.h"
#include "RegisterWriteList.h"

#include <QObject>

class QAbstractButton;
class QKeyEvent;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace Sondrel {

class TRegisterListBinding : public QObject {
    Q_OBJECT
public:
    static constexpr int AddressColumn = 0;
    static constexpr int ValueColumn = 1;

    TRegisterListBinding(QTreeWidget& list, QLineEdit& startEdit, QLineEdit& countEdit,
                         QAbstractButton& writeSingleButton, TShowError showError,
                         QObject* parent = nullptr);

    // Returns false when an edit was bad (nothing changed then).
    bool RebuildRegisterList(bool connectionOpen);

    const TRegisterWriteList& List() const { return FList; }

    // Starts editing the value of the row; false when there is no such row.
    bool EditValue(int row);

    // Enter in the list: edits the selected row's value when no edit is running. True when the
    // key was taken (it is then swallowed).
    bool RegisterListViewKeyDown(const QKeyEvent& key);
    // A double-click: edits the value of the row under the mouse, if any.
    void RegisterListViewDblClick(QTreeWidgetItem* item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RegisterListViewEdited(QTreeWidgetItem* item, int column);

    QTreeWidget& FListView;
    QLineEdit& FStartEdit;
    QLineEdit& FCountEdit;
    QAbstractButton& FWriteSingleButton;
    TShowError FShowError;
    TRegisterWriteList FList;
    bool FShowing = false; // the rows are being written from the list
};

} // namespace Sondrel
