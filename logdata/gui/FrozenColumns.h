// TFrozenColumns: keeps the first columns of a table view in sight while it scrolls sideways.
//
// A second QTableView over the same model and selection model lies over the left edge of the
// view's viewport and shows only the first `count` columns, with the view's row heights, its
// header height and its look. It scrolls up and down with the view and passes header clicks on
// as the view does (the model sorts; both headers show the same sort indicator); column widths
// are kept equal in both. The view scrolls sideways by pixels, so its other columns pass under
// the frozen ones and each comes into sight at some scroll position.
//
// Attach it after the view has its model (SetUpRecordListView); a model set later is not
// followed. Main (GUI) thread only. The overlay view is a child of the view; the object itself
// is owned by whoever creates it and must go before the view's model does.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTableView>

namespace Sondrel {

class TFrozenColumns : public QObject {
    Q_OBJECT
public:
    TFrozenColumns(QTableView& view, int count, QObject* parent = nullptr);
    ~TFrozenColumns() override;

    // The overlay view (for tests and styling).
    QTableView& FrozenView() { return *FFrozen; }
    int Count() const { return FCount; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateGeometry();
    void SectionResized(int column, int newSize);

    QTableView& FView;
    QPointer<QTableView> FFrozen;
    int FCount;
};

} // namespace Sondrel
