// The record list: what the Log Data list view shows and what the exporters read.
//
// Items (TRecordItem) in list order, each a caption and up to 26 sub-items, under 27 column
// captions. The captions start as "Record Index", "Date", "Time", "Cnts 1".."Cnts 9",
// "Total Cnts", "PPB 1".."PPB 9", "Total PPB", "Flow Rate", "Cell Condition", "Laser Condition",
// "Index"; the whole-log download may rewrite the channel captions from the instrument's size
// table. Every column is left-aligned and 120 pixels wide except the last, which is 50.
//
// Views follow the list through its events (public std::function members, all optional):
// - OnBeginReset / OnEndReset bracket every change that replaces or reorders items (Clear,
//   SortAndRemoveDuplicates); a QAbstractTableModel maps them to beginResetModel/endResetModel.
// - OnItemsAppended(first, count) reports items added at the end. Inside a BeginUpdate /
//   EndUpdate bracket it fires once, at EndUpdate. Appending never changes existing items, so a
//   model that keeps its own published row count, and raises beginInsertRows/endInsertRows when
//   told, stays consistent even if the view paints in the middle of an update.
// - OnCaptionsChanged reports rewritten column captions (headerDataChanged).
//
// Threads: main thread only. Owned by the download engine; views keep a reference.
#pragma once

#include "RecordItem.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Sondrel {

class TRecordList {
public:
    static constexpr std::int32_t ColumnCount = TRecordItem::ColumnCount;

    TRecordList();

    std::int32_t Count() const { return static_cast<std::int32_t>(FItems.size()); }
    const TRecordItem& Item(std::int32_t row) const {
        return FItems.at(static_cast<std::size_t>(row));
    }
    // The text of (row, column) exactly as the list shows it; empty when out of range.
    std::string Text(std::int32_t row, std::int32_t column) const;
    bool IsSilver(std::int32_t row) const;
    // Items of empty records (read from erased memory).
    std::int32_t EmptyCount() const;

    const std::string& ColumnCaption(std::int32_t column) const;
    void SetColumnCaption(std::int32_t column, std::string caption);
    std::int32_t ColumnWidth(std::int32_t column) const;

    void Clear();
    void Append(const TRecordItem& item);
    // Suspends the append notification until the matching EndUpdate (brackets may nest).
    void BeginUpdate();
    void EndUpdate();

    // Sorts ascending on the record index (the five-digit captions, so text and numeric order
    // agree; items without a caption come first) and keeps exactly one item per record index:
    // of a run of equal captions the last one stays.
    void SortAndRemoveDuplicates();

    std::function<void()> OnBeginReset;
    std::function<void()> OnEndReset;
    std::function<void(std::int32_t first, std::int32_t count)> OnItemsAppended;
    std::function<void()> OnCaptionsChanged;

private:
    void NotifyAppended();
    void BeginReset();
    void EndReset();

    std::vector<TRecordItem> FItems;
    std::array<std::string, ColumnCount> FCaptions;
    std::int32_t FUpdateDepth = 0;
    // Items before this index have been reported through OnItemsAppended.
    std::int32_t FReportedCount = 0;
};

} // namespace Sondrel
