// The spreadsheet export, read back with an independent reader (openpyxl).
#include "ExportTestSupport.h"

#include "ExportFile.h"
#include "LogExporter.h"
#include "VirtualDataEngine.h"
#include "VirtualEngineHandlers.h"
#include "XlsxExporter.h"

#include <gtest/gtest.h>

using namespace Sondrel;
using namespace ExportTest;

namespace {

std::vector<std::string> Repeat(const std::string& text, std::size_t count) {
    return std::vector<std::string>(count, text);
}

template <typename T>
std::vector<T> Join(std::initializer_list<std::vector<T>> parts) {
    std::vector<T> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::vector<int> WholeWidths(const TSheet& sheet) {
    std::vector<int> widths;
    for (const double w : sheet.Widths) {
        widths.push_back(static_cast<int>(w)); // the file stores the width plus cell padding
    }
    return widths;
}

class XlsxExport : public ::testing::Test {
protected:
    TSheet Export() {
        TLogExporter(List, AllDataMode).Export(ekXlsx, Path);
        TSheet sheet = ReadXlsx(Path);
        EXPECT_TRUE(sheet.ReadOk) << sheet.Output;
        return sheet;
    }

    TTempFolder Folder;
    std::string Path = Folder.File("log.xlsx");
    TRecordList List;
    bool AllDataMode = false;
};

} // namespace

TEST_F(XlsxExport, AllDataModeWritesTheListsColumnsWithTypedCells) {
    AllDataMode = true;
    List.Append(MakeItem(5, {{3, 2014},
                             {4, 3},
                             {5, 7},
                             {6, 9},
                             {7, 5},
                             {33, 1},
                             {52, 42},
                             {64, 12},
                             {65, 5},
                             {15, 28},
                             {13, 91},
                             {14, 99}}));
    // "Cnts 1" left out: the texts move left, so integer columns get "0.00" and "".
    List.Append(MakeItem(7, {{3, 2014}, {4, 1}, {5, 2}}, {9}));
    const TSheet sheet = Export();

    EXPECT_EQ(WholeWidths(sheet), Join<int>({{10, 20, 20}, std::vector<int>(24, 14)}));
    ASSERT_EQ(sheet.Rows.size(), 3U) << sheet.Output;
    const std::vector<std::string> titles = {
        "s:Record Index",    "s:Date",     "s:Time",         "s:Counts 1",  "s:Counts 2",
        "s:Counts 3",        "s:Counts 4", "s:Counts 5",     "s:Counts 6",  "s:Counts 7",
        "s:Counts 8",        "s:Counts 9", "s:Total Counts", "s:PPB 1",     "s:PPB 2",
        "s:PPB 3",           "s:PPB 4",    "s:PPB 5",        "s:PPB 6",     "s:PPB 7",
        "s:PPB 8",           "s:PPB 9",    "s:Total PPB",    "s:Flow Rate", "s:Cell Condition",
        "s:Laser Condition", "s:Index"};
    EXPECT_EQ(sheet.Rows[0], titles);
    // The date and the time are date and time cells shown as the list shows them, the PPB
    // columns numbers with two decimals.
    EXPECT_EQ(sheet.Rows[1], Join<std::string>({{"n:5", "d:2014-03-07T00:00:00@mm/dd/yyyy",
                                                 "t:09:05:00@hh:mm", "n:65535"},
                                                Repeat("n:0", 8),
                                                {"n:42", "n:12.05@0.00"},
                                                Repeat("n:0@0.00", 8),
                                                {"n:12.05@0.00", "n:28", "n:91", "n:99", "n:6"}}));
    EXPECT_EQ(sheet.Rows[2],
              Join<std::string>({{"n:7", "d:2014-01-02T00:00:00@mm/dd/yyyy", "t:00:00:00@hh:mm"},
                                 Repeat("n:0", 9),
                                 {"-"},
                                 Repeat("n:0@0.00", 10),
                                 Repeat("n:0", 2),
                                 {"n:8", "-"}}));
}

TEST_F(XlsxExport, AnEmptyRecordIsItsRecordIndexEmptyCellsAndItsIndex) {
    AllDataMode = true;
    List.Append(MakeErasedItem(9, 4));
    const TSheet sheet = Export();
    ASSERT_EQ(sheet.Rows.size(), 2U) << sheet.Output;
    EXPECT_EQ(sheet.Rows[1], Join<std::string>({{"n:9"}, Repeat("-", 25), {"n:6"}}));
}

TEST_F(XlsxExport, WithoutAllDataModeTheSecondColumnSetHasNoDataRows) {
    AllDataMode = false;
    FillWithRecords(List, 3);
    const TSheet sheet = Export();

    EXPECT_EQ(WholeWidths(sheet), Join<int>({{10, 20, 16}, std::vector<int>(9, 14), {16}}));
    ASSERT_EQ(sheet.Rows.size(), 1U) << sheet.Output;
    EXPECT_EQ(sheet.Rows[0],
              (std::vector<std::string>{"s:Record Index", "s:Date & Time", "s:Total Counts",
                                        "s:Count1 1", "s:Count2 2", "s:Count3 3", "s:Count4 4",
                                        "s:Count5 5", "s:Count6 6", "s:Count7 7", "s:Count8 8",
                                        "s:Count9 9", "s:Cell Condition %"}));
}

TEST(XlsxCells, TextsThatAreNotWholeNumbersBecomeEmptyCellsNeverWrongOnes) {
    const std::vector<std::array<std::string, 3>> rows = {
        {"00042", "12.05", "x,y"},
        {"-3", "7", ""},
        {"9007199254740992", "1e3", "\x01"},
        {"9007199254740993", "1e400", "\xC3\xA9"},
        {"99999999999999999999", "nan", "\xFF"},
        {"12x", "inf", "a"},
        {" 5", "0x10", "b"},
        {"+5", "1,5", "c"},
        {"12.0", "", "d"},
        {"", "-0.5", "e"},
        {"4294901760", "abc", "f"},
    };
    TVirtualDataEngine engine;
    std::size_t row = 0;
    engine.OnFillColumns = [&] {
        engine.ClearColumns();
        engine.AddColumn("i", 12, 1, "Integer");
        engine.AddColumn("d", 12, 2, "Double");
        engine.AddColumn("s", 12, 0, "String");
    };
    engine.OnCount = [&] { return static_cast<std::int32_t>(rows.size()); };
    engine.OnFirst = [&] { row = 0; };
    engine.OnNext = [&] { ++row; };
    engine.OnGetValue = [&](const TExportColumn* column) {
        const std::size_t at = column->FieldName == "i" ? 0 : column->FieldName == "d" ? 1 : 2;
        return rows.at(row)[at];
    };
    TTempFolder folder;
    const std::string path = folder.File("cells.xlsx");
    TExportFile::WritePath(path, [&](const std::string& p) { TXlsxExporter::Write(engine, p); });
    const TSheet sheet = ReadXlsx(path);
    ASSERT_TRUE(sheet.ReadOk) << sheet.Output;
    const std::vector<std::vector<std::string>> expected = {
        {"s:Integer", "s:Double", "s:String"},
        {"n:42", "n:12.05@0.00", "s:x,y"},
        {"n:-3", "n:7@0.00", "-"},
        {"n:9007199254740992", "n:1000@0.00", "s:?"},
        {"-", "-", "s:\xC3\xA9"},
        {"-", "-", "s:?"},
        {"-", "-", "s:a"},
        {"-", "-", "s:b"},
        {"-", "-", "s:c"},
        {"-", "-", "s:d"},
        {"-", "n:-0.5@0.00", "s:e"},
        {"n:4294901760", "-", "s:f"},
    };
    EXPECT_EQ(sheet.Rows, expected);
}

TEST(XlsxCells, DatesAndTimesThatExistBecomeDateCellsOthersStayTheirText) {
    const std::vector<std::array<std::string, 2>> rows = {
        {"02/29/2024", "23:59"}, {"02/29/2023", "24:00"},         {"13/01/2024", "9:05"},
        {"03/07/1899", "09:60"}, {"65535/65535/", "65535:65535"}, {"", ""},
        {"12/31/9999", "00:00"},
    };
    TVirtualDataEngine engine;
    std::size_t row = 0;
    engine.OnFillColumns = [&] {
        engine.ClearColumns();
        engine.AddTypedColumn("d", 12, ctDate, "Date");
        engine.AddTypedColumn("t", 12, ctTime, "Time");
    };
    engine.OnCount = [&] { return static_cast<std::int32_t>(rows.size()); };
    engine.OnFirst = [&] { row = 0; };
    engine.OnNext = [&] { ++row; };
    engine.OnGetValue = [&](const TExportColumn* column) {
        return rows.at(row)[column->FieldName == "d" ? 0 : 1];
    };
    TTempFolder folder;
    const std::string path = folder.File("dates.xlsx");
    TExportFile::WritePath(path, [&](const std::string& p) { TXlsxExporter::Write(engine, p); });
    const TSheet sheet = ReadXlsx(path);
    ASSERT_TRUE(sheet.ReadOk) << sheet.Output;
    const std::vector<std::vector<std::string>> expected = {
        {"s:Date", "s:Time"},
        {"d:2024-02-29T00:00:00@mm/dd/yyyy", "t:23:59:00@hh:mm"},
        {"s:02/29/2023", "s:24:00"},
        {"s:13/01/2024", "s:9:05"},
        {"s:03/07/1899", "s:09:60"},
        {"s:65535/65535/", "s:65535:65535"},
        {"-", "-"},
        {"d:9999-12-31T00:00:00@mm/dd/yyyy", "t:00:00:00@hh:mm"},
    };
    EXPECT_EQ(sheet.Rows, expected);
}

TEST(VirtualEngine, CountNotSetMeansNoRowsAndValuesFollowTheMode) {
    TRecordList list;
    FillWithRecords(list, 2);
    TVirtualDataEngine engine;
    const TVirtualEngineHandlers countData(engine, list, false);
    EXPECT_EQ(countData.VirtualDataEngine1Count(), std::nullopt);
    EXPECT_EQ(engine.RowCount(), 0);
    engine.Open();
    ASSERT_EQ(engine.Columns().size(), 13U);
    EXPECT_EQ(engine.Columns()[3], (TExportColumn{"Count 1", "Count1 1", 14, ctInteger}));
    EXPECT_EQ(engine.Value(0), "");

    // Handlers of the other layout over the same engine.
    TVirtualEngineHandlers handlers(engine, list, true);
    EXPECT_EQ(engine.RowCount(), 2);
    engine.Open(); // the columns are cleared before the other set is added
    ASSERT_EQ(engine.Columns().size(), 27U);
    EXPECT_EQ(engine.Columns()[1], (TExportColumn{"Date", "Date", 20, ctDate}));
    EXPECT_EQ(engine.Columns()[2], (TExportColumn{"Time", "Time", 20, ctTime}));
    EXPECT_EQ(engine.Columns()[13], (TExportColumn{"PPB 1", "PPB 1", 14, ctDouble}));
    engine.First();
    engine.Next();
    EXPECT_EQ(handlers.Row(), 1);
    for (std::int32_t c = 0; c < 27; ++c) {
        EXPECT_EQ(engine.Value(c), list.Text(1, c)) << "column " << c;
    }
    EXPECT_EQ(engine.Value(27), ""); // no such column: the callback gets none
    const TExportColumn unknown{"Nothing", "Nothing", 14, ctString};
    EXPECT_EQ(handlers.VirtualDataEngine1GetValue(&unknown), "");
}

TEST(VirtualEngine, AddColumnCodesAreStringDoubleAndIntegerForTheRest) {
    EXPECT_EQ(TVirtualDataEngine::CellTypeOfCode(0), ctString);
    EXPECT_EQ(TVirtualDataEngine::CellTypeOfCode(2), ctDouble);
    EXPECT_EQ(TVirtualDataEngine::CellTypeOfCode(1), ctInteger);
    EXPECT_EQ(TVirtualDataEngine::CellTypeOfCode(-7), ctInteger);
    TVirtualDataEngine engine;
    engine.OnCount = [] { return -5; };
    EXPECT_EQ(engine.RowCount(), 0);
}
