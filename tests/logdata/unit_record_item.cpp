// The display rules of one record: formats, counts, guards and the Index column.
#include "RecordItem.h"
#include "RecordTable.h"

#include <gtest/gtest.h>

using namespace Sondrel;

namespace {

class ItemTest : public ::testing::Test {
protected:
    // A whole record in row `row` with the given record number and zeros elsewhere.
    void StoreRecord(std::int32_t row, std::uint16_t number) {
        for (std::int32_t c = 0; c < TRecordTable::CellCount; ++c) {
            Table.SetValue(row, c, 0);
        }
        Table.SetValue(row, 1, number);
    }
    TRecordItem Build(std::int32_t row, std::int32_t first = 0) {
        const auto item = TRecordItem::FromRow(Table, row, first);
        EXPECT_TRUE(item.has_value());
        return item.value_or(TRecordItem{});
    }

    TRecordTable Table;
};

} // namespace

TEST_F(ItemTest, DateTimeAndPpbUseTheirFormats) {
    StoreRecord(5, 5);
    Table.SetValue(5, 3, 2014);
    Table.SetValue(5, 4, 3);
    Table.SetValue(5, 5, 7);
    Table.SetValue(5, 6, 9);
    Table.SetValue(5, 7, 5);
    Table.SetValue(5, 64, 12); // PPB 1: 12 and 5 hundredths
    Table.SetValue(5, 65, 5);
    Table.SetValue(5, 66, 0); // PPB 2: 0.99
    Table.SetValue(5, 67, 99);
    const TRecordItem item = Build(5);
    EXPECT_EQ(item.Text(0), "00005");
    EXPECT_EQ(item.Text(1), "03/07/2014");
    EXPECT_EQ(item.Text(2), "09:05");
    EXPECT_EQ(item.Text(13), "12.05");
    EXPECT_EQ(item.Text(14), "0.99");
    EXPECT_EQ(item.Text(22), "13.04"); // Total PPB
    EXPECT_EQ(item.SubItemCount(), 26);
    EXPECT_EQ(item.Text(27), "");
}

TEST_F(ItemTest, YearZeroWritesNoDigitsAndWideValuesAreNotCut) {
    StoreRecord(1, 1);
    Table.SetValue(1, 4, 123);
    EXPECT_EQ(Build(1).Text(1), "123/00/");
}

TEST_F(ItemTest, CountsWeighTheHighWordBy65535WithoutOverflow) {
    StoreRecord(7, 7);
    Table.SetValue(7, 33, 1); // channel 1: high 1, low 0
    Table.SetValue(7, 34, 0);
    Table.SetValue(7, 35, 65535); // channel 2: every bit set
    Table.SetValue(7, 36, 65535);
    Table.SetValue(7, 51, 2); // total: 2 x 65535 + 7
    Table.SetValue(7, 52, 7);
    const TRecordItem item = Build(7);
    EXPECT_EQ(item.Text(3), "65535");
    EXPECT_EQ(item.Text(4), "4294901760");
    EXPECT_EQ(item.Text(12), "131077");
    EXPECT_TRUE(item.IsSilver());

    Table.SetValue(7, 34, 1);
    EXPECT_FALSE(Build(7).IsSilver());
}

TEST_F(ItemTest, IndexCountsFromTheFirstRecordAcrossTheWrap) {
    StoreRecord(5, 5);
    EXPECT_EQ(Build(5, 61991).Text(26), "00016");
    StoreRecord(61992, 61992);
    EXPECT_EQ(Build(61992, 61991).Text(26), "00002");
    StoreRecord(100, 100);
    EXPECT_EQ(Build(100, 70).Text(26), "00031");
    StoreRecord(65535, 65535); // a number beyond the record space still gives a count
    EXPECT_EQ(Build(65535, 0).Text(26), "03535");
}

TEST_F(ItemTest, EmptyRecordWithoutANumberIsShownAsTheRecordOfItsRow) {
    // Erased memory: 65535 in every register, the record number cell too.
    for (std::int32_t c = 1; c < TRecordTable::CellCount; ++c) {
        Table.SetValue(61995, c, 65535);
    }
    Table.SetValue(61995, 0, 61995);
    const TRecordItem item = Build(61995, 61990);
    EXPECT_EQ(item.RecordIndex(), 61995);
    EXPECT_EQ(item.Caption(), "61995");
    EXPECT_EQ(item.Text(26), "00006"); // Index: 61995 is the 5th record after 61990
    // Its values are erased memory, not data: every other column is empty, in its place.
    EXPECT_TRUE(item.IsEmpty());
    EXPECT_TRUE(item.IsSilver());
    EXPECT_EQ(item.SubItemCount(), 26);
    for (std::int32_t column = 1; column <= 25; ++column) {
        EXPECT_EQ(item.Text(column), "") << column;
        EXPECT_FALSE(item.SortKey(column).has_value()) << column;
    }
    EXPECT_EQ(item.SortKey(0), 61995);
    EXPECT_EQ(item.SortKey(26), 6);
    // A record number of 62000 is one: the row does not replace it.
    StoreRecord(5, 62000);
    EXPECT_EQ(Build(5).Caption(), "62000");
}

TEST_F(ItemTest, EmptyGuardCellLeavesItsSubItemOutAndShiftsTheRest) {
    StoreRecord(3, 3);
    Table.SetValue(3, 34, 11); // channel 1 low word
    Table.SetValue(3, 36, 22); // channel 2 low word
    Table.Clear(3, 9);         // guard of "Cnts 1"
    const TRecordItem item = Build(3);
    EXPECT_EQ(item.SubItemCount(), 25);
    EXPECT_EQ(item.Text(3), "22"); // "Cnts 2" moved into the "Cnts 1" column
    EXPECT_EQ(item.Text(26), "");
    EXPECT_EQ(item.Text(25), "00004");

    Table.Clear(3, 0); // no state word: no caption
    EXPECT_EQ(Build(3).Text(0), "");
    EXPECT_EQ(Build(3).RecordIndex(), -1);
}

TEST_F(ItemTest, EmptyValueCellUnderAPresentGuardIsAConversionError) {
    StoreRecord(4, 4);
    Table.Clear(4, 34);
    EXPECT_FALSE(TRecordItem::FromRow(Table, 4, 0).has_value());
    StoreRecord(4, 4);
    Table.Clear(4, 1);
    EXPECT_FALSE(TRecordItem::FromRow(Table, 4, 0).has_value());
}

TEST_F(ItemTest, PpbLeftOutIsLeftOutOfTheTotal) {
    StoreRecord(2, 2);
    Table.SetValue(2, 64, 1);
    Table.SetValue(2, 66, 2);
    Table.Clear(2, 19);                   // guard of "PPB 1"
    EXPECT_EQ(Build(2).Text(21), "2.00"); // Total PPB, shifted one column left
}

TEST_F(ItemTest, ARecordWithATimeStampAmongErasedCellsIsNoEmptyRecord) {
    for (std::int32_t c = 0; c < TRecordTable::CellCount; ++c) {
        Table.SetValue(40, c, 65535);
    }
    Table.SetValue(40, 1, 40);
    Table.SetValue(40, 7, 59); // the minute of a real time stamp
    const TRecordItem item = Build(40);
    EXPECT_FALSE(item.IsEmpty());
    EXPECT_EQ(item.Text(2), "65535:59");
    EXPECT_EQ(item.Text(3), "4294901760") << "the counts show as read";

    // An erased block that still names its record and has its count high words at 0 (as
    // some instruments keep them) is empty.
    Table.SetValue(40, 7, 65535);
    for (std::int32_t high = 33; high <= 51; high += 2) {
        Table.SetValue(40, high, 0);
    }
    EXPECT_TRUE(Build(40).IsEmpty());
    EXPECT_EQ(Build(40).Caption(), "00040");
    EXPECT_EQ(Build(40).Text(3), "");
}

TEST_F(ItemTest, SortKeysAreNumbersAndDateAndTimeSortTogether) {
    StoreRecord(8, 8);
    Table.SetValue(8, 3, 2024);
    Table.SetValue(8, 4, 12);
    Table.SetValue(8, 5, 31);
    Table.SetValue(8, 6, 23);
    Table.SetValue(8, 7, 59);
    Table.SetValue(8, 33, 1); // Cnts 1: 1 x 65535 + 2
    Table.SetValue(8, 34, 2);
    Table.SetValue(8, 64, 3); // PPB 1: 3.07
    Table.SetValue(8, 65, 7);
    const TRecordItem late = Build(8, 0);
    StoreRecord(9, 9);
    Table.SetValue(9, 3, 2025);
    Table.SetValue(9, 4, 1);
    Table.SetValue(9, 5, 1);
    const TRecordItem early = Build(9, 0);

    EXPECT_EQ(late.SortKey(0), 8);
    EXPECT_EQ(late.SortKey(3), 65537);
    EXPECT_EQ(late.SortKey(13), 307);
    EXPECT_EQ(late.SortKey(22), 307); // Total PPB
    EXPECT_EQ(late.SortKey(26), 9);   // Index: 8 after record 0, plus 1
    // 2024-12-31 23:59 comes before 2025-01-01 00:00, by date and by time alike.
    EXPECT_LT(late.SortKey(1), early.SortKey(1));
    EXPECT_EQ(late.SortKey(1), late.SortKey(2));
    EXPECT_FALSE(late.SortKey(27).has_value());
    EXPECT_FALSE(late.SortKey(-1).has_value());
}
