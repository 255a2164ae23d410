// TCoilListBinding: the coil write list of the "Discrete Write" group on its widgets. It keeps
// a TCoilWriteList and shows it in the list (one column "Address", a check box per row,
// read-only text); check boxes the operator toggles go back into the list.
//
// RebuildCoilList is the handler of the start and count edits losing focus (and runs once at
// creation): a bad edit gets the focus when it can take it and its error is shown through the
// seam; otherwise the rows follow the edits and "Write Single Coil" is enabled exactly when the
// list has one row. The write requests read List(): StartAddress() and CheckStates().
//
// Main (GUI) thread only. A child of the page or window that owns the widgets; the widgets
// must outlive it.
#pragma once

#include "CoilWriteList.h"
#include "MessageSeams.h"

#include <QObject>

class QAbstractButton;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace Sondrel {

class TCoilListBinding : public QObject {
    Q_OBJECT
public:
    TCoilListBinding(QTreeWidget& list, QLineEdit& startEdit, QLineEdit& countEdit,
                     QAbstractButton& writeSingleButton, TShowError showError,
                     QObject* parent = nullptr);

    // Returns false when an edit was bad (nothing changed then).
    bool RebuildCoilList();

    const TCoilWriteList& List() const { return FList; }

private:
    void ItemChanged(QTreeWidgetItem* item, int column);

    QTreeWidget& FListView;
    QLineEdit& FStartEdit;
    QLineEdit& FCountEdit;
    QAbstractButton& FWriteSingleButton;
    TShowError FShowError;
    TCoilWriteList FList;
    bool FShowing = false; // the rows are being written from the list
};

} // namespace Sondrel
