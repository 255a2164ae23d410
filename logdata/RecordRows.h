// The rows of a record table as a view and the exports read them: a count, the text of every
// cell, the silver rows and the column captions. The record list of a download is one source
// (TRecordList); the archive's pages are another, so that both are shown by the same item model
// and written by the same exporters.
//
// Columns: "Record Index", "Date", "Time", "Cnts 1".."Cnts 9", "Total Cnts", "PPB 1".."PPB 9",
// "Total PPB", "Flow Rate", "Cell Condition", "Laser Condition", "Index" (DefaultCaption), each
// 120 pixels wide except the last, which is 50 (DefaultColumnWidth); a source may rewrite its
// captions.
//
// Views follow the rows through the events (public std::function members, all optional):
// - OnBeginReset / OnEndReset bracket every change that replaces or reorders rows; a
//   QAbstractTableModel maps them to beginResetModel/endResetModel.
// - OnItemsAppended(first, count) reports rows added at the end. Appending never changes
//   existing rows.
// - OnCaptionsChanged reports rewritten column captions (headerDataChanged).
//
// Threads: main thread only, like the data behind the rows.
#pragma once

#include "RecordItem.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Sondrel {

// Row numbers in the order a view shows them; empty: the rows' own order.
using TRowOrder = std::vector<std::int32_t>;

// The row shown at `row`: order[row], or row itself when the order is the rows' own (or does
// not reach that far).
inline std::int32_t ListRowAt(const TRowOrder& order, std::int32_t row) {
    return row >= 0 && static_cast<std::size_t>(row) < order.size()
               ? order[static_cast<std::size_t>(row)]
               : row;
}

class TRecordRows {
public:
    static constexpr std::int32_t ColumnCount = TRecordItem::ColumnCount;

    virtual ~TRecordRows() = default;

    virtual std::int32_t Count() const = 0;
    // The text of (row, column) as the table shows it; empty when out of range.
    virtual std::string Text(std::int32_t row, std::int32_t column) const = 0;
    // The row is drawn in silver (its "Cnts 1" column reads "65535").
    virtual bool IsSilver(std::int32_t row) const = 0;
    virtual const std::string& ColumnCaption(std::int32_t column) const {
        return DefaultCaption(column);
    }
    std::int32_t ColumnWidth(std::int32_t column) const { return DefaultColumnWidth(column); }

    // Orders the rows by a column, as a click on its header asks. Returns false when the source
    // keeps an order of its own and ignores the request.
    virtual bool Sort(std::int32_t /*column*/, bool /*ascending*/) { return false; }
    // The rows in the order of a column, for a view that keeps an order of its own over rows
    // that keep theirs (the download's list); empty when the source offers none.
    virtual TRowOrder OrderBy(std::int32_t /*column*/, bool /*descending*/) const { return {}; }

    // The captions a table starts with; empty for a column out of range.
    static const std::string& DefaultCaption(std::int32_t column);
    static std::int32_t DefaultColumnWidth(std::int32_t column);

    std::function<void()> OnBeginReset;
    std::function<void()> OnEndReset;
    std::function<void(std::int32_t first, std::int32_t count)> OnItemsAppended;
    std::function<void()> OnCaptionsChanged;

protected:
    void BeginReset() const;
    void EndReset() const;
};

} // namespace Sondrel
