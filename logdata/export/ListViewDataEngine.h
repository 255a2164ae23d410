// The list-view data engine: record rows exactly as a record table shows them.
//
// One export column per list column, in the list's column order: the title is the column's
// caption and the width in characters is the column's pixel width divided by 4 (rounded toward
// zero), or 5 when the pixel width is below 4; every column is a text column. The rows are the
// list's items in the order the view shows them (the list's own order when no order is
// given); column 0 is the item's caption and column k its sub-item k - 1, empty when the item
// has fewer sub-items.
//
// Threads: main thread (it reads the rows). The rows are borrowed and must outlive the
// engine; they must not change during an export.
#pragma once

#include "ExportDataEngine.h"
#include "RecordRows.h"
#include "RecordSort.h"

namespace Sondrel {

class TListViewDataEngine : public TExportDataEngine {
public:
    explicit TListViewDataEngine(const TRecordRows& list, TRowOrder order = {})
        : FList(list), FOrder(std::move(order)) {}

    // The export width of a list column of `pixels` pixels.
    static std::int32_t CharacterWidth(std::int32_t pixels);

    void Open() override;
    const std::vector<TExportColumn>& Columns() const override { return FColumns; }
    std::int32_t RowCount() override { return FList.Count(); }
    void First() override { FRow = 0; }
    void Next() override { ++FRow; }
    std::string Value(std::int32_t column) override {
        return FList.Text(ListRowAt(FOrder, FRow), column);
    }

private:
    const TRecordRows& FList;
    TRowOrder FOrder;
    std::vector<TExportColumn> FColumns;
    std::int32_t FRow = 0;
};

} // namespace Sondrel
