// The record list: what the Log Data list view shows and what the exporters read.
//
// Items (TRecordItem) in list order, each a caption and up to 26 sub-items, under the 27
// column captions of TRecordRows; the whole-log download may rewrite the channel captions from
// the instrument's size table. Every column is left-aligned.
//
// Views follow the list through the events of TRecordRows: Clear and SortAndRemoveDuplicates
// reset; OnItemsAppended(first, count) reports items added at the end, and inside a
// BeginUpdate / EndUpdate bracket it fires once, at EndUpdate. A model that keeps its own
// published row count, and raises beginInsertRows/endInsertRows when told, stays consistent even
// if the view paints in the middle of an update.
//
// Threads: main thread only. Owned by the download engine; views keep a reference.
#pragma once

#include "RecordItem.h"
#include "RecordRows.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Sondrel {

class TRecordList : public TRecordRows {
public:
    TRecordList();

    std::int32_t Count() const override { return static_cast<std::int32_t>(FItems.size()); }
    const TRecordItem& Item(std::int32_t row) const {
        return FItems.at(static_cast<std::size_t>(row));
    }
    std::string Text(std::int32_t row, std::int32_t column) const override;
    bool IsSilver(std::int32_t row) const override;
    // Items of empty records (read from erased memory).
    std::int32_t EmptyCount() const;
    TRowOrder OrderBy(std::int32_t column, bool descending) const override;

    const std::string& ColumnCaption(std::int32_t column) const override;
    void SetColumnCaption(std::int32_t column, std::string caption);

    void Clear();
    void Append(const TRecordItem& item);
    // Suspends the append notification until the matching EndUpdate (brackets may nest).
    void BeginUpdate();
    void EndUpdate();

    // Sorts ascending on the record index (the five-digit captions, so text and numeric order
    // agree; items without a caption come first) and keeps exactly one item per record index:
    // of a run of equal captions the last one stays.
    void SortAndRemoveDuplicates();

private:
    void NotifyAppended();

    std::vector<TRecordItem> FItems;
    std::array<std::string, ColumnCount> FCaptions;
    std::int32_t FUpdateDepth = 0;
    // Items before this index have been reported through OnItemsAppended.
    std::int32_t FReportedCount = 0;
};

} // namespace Sondrel
