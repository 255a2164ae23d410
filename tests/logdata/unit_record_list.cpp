// The record list, the record table, the row lists and the size-table captions.
#include "RecordList.h"
#include "RecordSort.h"
#include "RecordTable.h"
#include "RowList.h"
#include "SizeTable.h"

#include <gtest/gtest.h>

using namespace Sondrel;

namespace {

// An item with the given record index, whose Flow Rate column tells items apart.
TRecordItem ItemFor(std::int32_t index, std::uint16_t tag) {
    static TRecordTable table;
    for (std::int32_t c = 0; c < TRecordTable::CellCount; ++c) {
        table.SetValue(0, c, 0);
    }
    table.SetValue(0, 1, static_cast<std::uint16_t>(index));
    table.SetValue(0, 15, tag);
    return *TRecordItem::FromRow(table, 0, 0);
}

std::vector<std::string> Column(const TRecordList& list, std::int32_t column) {
    std::vector<std::string> texts;
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        texts.push_back(list.Text(i, column));
    }
    return texts;
}

} // namespace

TEST(RecordList, SortKeepsExactlyOneItemPerRecordIndexTheLastOfItsRun) {
    TRecordList list;
    for (auto [index, tag] :
         std::vector<std::pair<int, int>>{{7, 1}, {3, 2}, {7, 3}, {5, 4}, {7, 5}, {3, 6}, {9, 7}}) {
        list.Append(ItemFor(index, static_cast<std::uint16_t>(tag)));
    }
    list.SortAndRemoveDuplicates();
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"00003", "00005", "00007", "00009"}));
    EXPECT_EQ(Column(list, 23), (std::vector<std::string>{"6", "4", "5", "7"}));
}

TEST(RecordList, AppendsInsideAnUpdateAreReportedOnceAtTheEnd) {
    TRecordList list;
    std::vector<std::pair<int, int>> appended;
    int resets = 0;
    list.OnItemsAppended = [&](int first, int count) { appended.emplace_back(first, count); };
    list.OnEndReset = [&] { ++resets; };
    list.Append(ItemFor(1, 0));
    list.BeginUpdate();
    list.Append(ItemFor(2, 0));
    list.Append(ItemFor(3, 0));
    EXPECT_EQ(appended.size(), 1U);
    list.EndUpdate();
    EXPECT_EQ(appended, (std::vector<std::pair<int, int>>{{0, 1}, {1, 2}}));
    list.Clear();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(list.Count(), 0);
}

TEST(RecordList, ColumnsHaveTheirCaptionsAndWidths) {
    TRecordList list;
    EXPECT_EQ(TRecordList::ColumnCount, 27);
    EXPECT_EQ(list.ColumnCaption(0), "Record Index");
    EXPECT_EQ(list.ColumnCaption(3), "Cnts 1");
    EXPECT_EQ(list.ColumnCaption(12), "Total Cnts");
    EXPECT_EQ(list.ColumnCaption(13), "PPB 1");
    EXPECT_EQ(list.ColumnCaption(22), "Total PPB");
    EXPECT_EQ(list.ColumnCaption(26), "Index");
    EXPECT_EQ(list.ColumnCaption(27), "");
    EXPECT_EQ(list.ColumnWidth(0), 120);
    EXPECT_EQ(list.ColumnWidth(25), 120);
    EXPECT_EQ(list.ColumnWidth(26), 50);
    EXPECT_EQ(list.Text(0, 0), "");
    EXPECT_FALSE(list.IsSilver(-1));
}

TEST(SizeTable, CaptionsLandOnTheChannelsOwnColumns) {
    TRecordList list;
    TSizeTable sizes;
    std::vector<std::uint16_t> regs(88, 0);
    // Channels 1..3 with sizes 1-2, 2-3, 3-5; channel 4 the last one in use, from 5 up to 10.
    const std::uint16_t bounds[] = {1, 0, 2, 0, 3, 0, 5, 10, 0};
    for (int i = 0; i < 9; ++i) {
        regs[static_cast<std::size_t>(17 + i)] = bounds[i];
    }
    sizes.Store(regs);
    sizes.ApplyCaptions(list);
    EXPECT_EQ(list.ColumnCaption(3), "1-2 cnts");
    EXPECT_EQ(list.ColumnCaption(4), "2-3 cnts");
    EXPECT_EQ(list.ColumnCaption(5), "3-5 cnts");
    EXPECT_EQ(list.ColumnCaption(6), "5-10 cnts");
    EXPECT_EQ(list.ColumnCaption(7), "> 10 cnts");
    EXPECT_EQ(list.ColumnCaption(8), "Cnts 6");
    EXPECT_EQ(list.ColumnCaption(13), "1-2 ppb");
    EXPECT_EQ(list.ColumnCaption(16), "5-10 ppb");
    EXPECT_EQ(list.ColumnCaption(17), "> 10 ppb");
    EXPECT_EQ(list.ColumnCaption(2), "Time");
}

TEST(SizeTable, EmptyOrShortTableLeavesCaptionsAlone) {
    TRecordList list;
    TSizeTable sizes;
    EXPECT_TRUE(sizes.IsEmpty());
    sizes.ApplyCaptions(list);
    sizes.Store({0, 0, 0}); // 17 missing
    EXPECT_TRUE(sizes.IsEmpty());
    std::vector<std::uint16_t> regs(19, 0);
    regs[17] = 3;
    regs[18] = 4;
    sizes.Store(regs); // channel 1's b (register 19) missing
    sizes.ApplyCaptions(list);
    EXPECT_EQ(list.ColumnCaption(3), "Cnts 1");
}

TEST(RecordTable, CellsAreEmptyOrDecimalAndRangesAreClipped) {
    TRecordTable table;
    EXPECT_EQ(table.Text(0, 0), "");
    table.Fill(1, 62000, 1, 43, 0);
    EXPECT_EQ(table.Text(1, 1), "0");
    EXPECT_EQ(table.Text(62000, 43), "0");
    EXPECT_EQ(table.Text(62000, 44), "");
    EXPECT_EQ(table.Text(0, 1), "");
    EXPECT_EQ(table.Text(62001, 1), "");
    table.SetValue(65535, 83, 65535);
    EXPECT_EQ(table.Text(65535, 83), "65535");
    table.Fill(-5, 70000, 60, 100, std::nullopt);
    EXPECT_FALSE(table.HasValue(65535, 83));
    EXPECT_TRUE(table.HasValue(1, 43));
    table.SetValue(65536, 0, 1);
    table.SetValue(0, 84, 1);
    EXPECT_FALSE(table.HasValue(65536, 0));
    EXPECT_FALSE(table.Value(0, 84).has_value());
}

TEST(RowList, KeepsArrivalOrderWithConstantTimeMembership) {
    TRowList rows;
    rows.Add(5);
    rows.Add(TRowList::Free);
    rows.Add(70000);
    rows.Add(3);
    rows.Add(5);
    EXPECT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows[0], 5);
    EXPECT_EQ(rows[1], 3);
    EXPECT_EQ(rows[3], TRowList::Free);
    EXPECT_TRUE(rows.Contains(3));
    EXPECT_FALSE(rows.Contains(TRowList::Free));
    rows.Clear();
    EXPECT_FALSE(rows.Contains(5));
    EXPECT_EQ(rows[0], TRowList::Free);
}

namespace {

// A record of the given index, total counts and date; erased memory when empty.
TRecordItem SortableItem(std::int32_t index, std::uint16_t totalCounts, std::uint16_t day,
                         bool empty = false) {
    static TRecordTable table;
    for (std::int32_t c = 0; c < TRecordTable::CellCount; ++c) {
        table.SetValue(0, c, empty ? 65535 : 0);
    }
    table.SetValue(0, 1, static_cast<std::uint16_t>(index));
    if (!empty) {
        table.SetValue(0, 3, 2024);
        table.SetValue(0, 4, 3);
        table.SetValue(0, 5, day);
        table.SetValue(0, 52, totalCounts);
    }
    return *TRecordItem::FromRow(table, 0, 0);
}

std::vector<std::int32_t> Indexes(const TRecordList& list, const std::vector<std::int32_t>& rows) {
    std::vector<std::int32_t> indexes;
    for (std::int32_t row : rows) {
        indexes.push_back(list.Item(row).RecordIndex());
    }
    return indexes;
}

} // namespace

TEST(RecordSort, NumbersSortAsNumbersBothWaysWithEmptyRecordsLast) {
    TRecordList list;
    list.Append(SortableItem(1, 900, 7));
    list.Append(SortableItem(2, 0, 0, true));
    list.Append(SortableItem(3, 1000, 5)); // "1000" < "900" as text, not as a number
    list.Append(SortableItem(4, 95, 9));
    const std::int32_t totalCounts = 12;
    EXPECT_EQ(Indexes(list, SortedRows(list, totalCounts, false)),
              (std::vector<std::int32_t>{4, 1, 3, 2}));
    EXPECT_EQ(Indexes(list, SortedRows(list, totalCounts, true)),
              (std::vector<std::int32_t>{3, 1, 4, 2}));
    // Date and Time sort chronologically; the empty record has neither.
    EXPECT_EQ(Indexes(list, SortedRows(list, 1, false)), (std::vector<std::int32_t>{3, 1, 4, 2}));
    EXPECT_EQ(Indexes(list, SortedRows(list, 2, true)), (std::vector<std::int32_t>{4, 1, 3, 2}));
    // The record index: the empty record has one, and takes its place by it.
    EXPECT_EQ(Indexes(list, SortedRows(list, 0, true)), (std::vector<std::int32_t>{4, 3, 2, 1}));
    EXPECT_EQ(SortedRows(list, 0, false), (std::vector<std::int32_t>{0, 1, 2, 3}));
}

TEST(RecordSort, EqualKeysKeepTheListOrderAndAnEmptyListSortsToNothing) {
    TRecordList list;
    for (std::int32_t i = 0; i < 6; ++i) {
        list.Append(SortableItem(10 + i, static_cast<std::uint16_t>(i % 2), 1));
    }
    EXPECT_EQ(Indexes(list, SortedRows(list, 12, false)),
              (std::vector<std::int32_t>{10, 12, 14, 11, 13, 15}));
    EXPECT_EQ(Indexes(list, SortedRows(list, 12, true)),
              (std::vector<std::int32_t>{11, 13, 15, 10, 12, 14}));
    EXPECT_TRUE(SortedRows(TRecordList(), 3, false).empty());
}

TEST(RecordList, EmptyRecordsAreCounted) {
    TRecordList list;
    list.Append(SortableItem(1, 5, 1));
    list.Append(SortableItem(2, 0, 0, true));
    list.Append(SortableItem(3, 0, 0, true));
    EXPECT_EQ(list.EmptyCount(), 2);
}
