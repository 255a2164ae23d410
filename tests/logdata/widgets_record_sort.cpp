// Sorting the record list's view by a click on a column header (the model's own order; the
// list is never reordered), the list's own order back after a reset, the selection that
// follows its row, and the frozen first columns that stay in sight when the view scrolls
// sideways. Checked with QAbstractItemModelTester throughout.
#include "FrozenColumns.h"
#include "RecordList.h"
#include "RecordListModel.h"

#include "RecordTable.h"
#include "support/qt/ModelTesterGuard.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Sondrel;

namespace {

constexpr int kDate = 1;
constexpr int kTime = 2;
constexpr int kTotalCounts = 12;
constexpr int kPpb1 = 13;

// Record `index` stamped 2024-03-day hour:00 with the given total counts and PPB 1 (in
// hundredths); erased memory when empty.
TRecordItem Record(std::int32_t index, std::uint16_t day, std::uint16_t hour,
                   std::uint16_t totalCounts, std::uint16_t ppbHundredths, bool empty = false) {
    static TRecordTable table;
    for (std::int32_t c = 0; c < TRecordTable::CellCount; ++c) {
        table.SetValue(0, c, empty ? 65535 : 0);
    }
    table.SetValue(0, 1, static_cast<std::uint16_t>(index));
    if (!empty) {
        table.SetValue(0, 3, 2024);
        table.SetValue(0, 4, 3);
        table.SetValue(0, 5, day);
        table.SetValue(0, 6, hour);
        table.SetValue(0, 52, totalCounts);
        table.SetValue(0, 64, static_cast<std::uint16_t>(ppbHundredths / 100));
        table.SetValue(0, 65, static_cast<std::uint16_t>(ppbHundredths % 100));
    }
    return *TRecordItem::FromRow(table, 0, 0);
}

class RecordSorting : public ::testing::Test {
protected:
    void SetUp() override {
        // In record order, as a download leaves the list: the dates, counts and PPB run in
        // other orders; 1000 beats 900 as a number, not as text.
        List.Append(Record(1, 7, 9, 900, 1205));
        List.Append(Record(2, 5, 23, 1000, 99));
        List.Append(Record(3, 0, 0, 0, 0, true));
        List.Append(Record(4, 7, 8, 95, 30000));
        List.Append(Record(5, 6, 0, 1000, 500));
        Model = std::make_unique<TRecordListModel>(List);
        Tester = std::make_unique<QAbstractItemModelTester>(
            Model.get(), QAbstractItemModelTester::FailureReportingMode::Warning);
        SetUpRecordListView(View, *Model);
        Frozen = std::make_unique<TFrozenColumns>(View, 3);
        View.resize(700, 300);
        View.show();
        QApplication::processEvents();
    }
    void TearDown() override {
        Frozen.reset();
        View.setModel(nullptr);
        EXPECT_EQ(TModelTesterGuard::Failures(), QString());
    }

    // A click on a column's header where the operator sees it: the frozen header for the
    // first three columns, the view's own (scrolled to it) for the others.
    void ClickHeader(int column) {
        if (column >= Frozen->Count()) {
            View.scrollTo(Model->index(0, column));
            QApplication::processEvents();
        }
        QHeaderView& header = column < Frozen->Count() ? *Frozen->FrozenView().horizontalHeader()
                                                       : *View.horizontalHeader();
        const QPoint at(header.sectionViewportPosition(column) + header.sectionSize(column) / 2,
                        header.height() / 2);
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, at);
    }
    // The record indexes down the view.
    std::vector<int> Shown() const {
        std::vector<int> indexes;
        for (int r = 0; r < Model->rowCount(); ++r) {
            indexes.push_back(Model->data(Model->index(r, 0)).toString().toInt());
        }
        return indexes;
    }

    TModelTesterGuard Guard;
    TRecordList List;
    std::unique_ptr<TRecordListModel> Model;
    std::unique_ptr<QAbstractItemModelTester> Tester;
    QTableView View;
    std::unique_ptr<TFrozenColumns> Frozen;
};

} // namespace

TEST_F(RecordSorting, AHeaderClickSortsByThatColumnAndASecondReversesIt) {
    EXPECT_EQ(Shown(), (std::vector<int>{1, 2, 3, 4, 5}));

    // Numbers as numbers; the empty record last both ways.
    ClickHeader(kTotalCounts);
    EXPECT_EQ(Shown(), (std::vector<int>{4, 1, 2, 5, 3}));
    EXPECT_EQ(View.horizontalHeader()->sortIndicatorSection(), kTotalCounts);
    EXPECT_EQ(View.horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    ClickHeader(kTotalCounts);
    EXPECT_EQ(Shown(), (std::vector<int>{2, 5, 1, 4, 3})) << "equal counts keep the list order";
    EXPECT_EQ(View.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);

    // Date and time together: the 7th at 8:00 before the 7th at 9:00.
    ClickHeader(kDate);
    EXPECT_EQ(Shown(), (std::vector<int>{2, 5, 4, 1, 3}));
    EXPECT_EQ(Frozen->FrozenView().horizontalHeader()->sortIndicatorSection(), kDate);
    EXPECT_EQ(View.horizontalHeader()->sortIndicatorSection(), kDate);
    ClickHeader(kDate);
    EXPECT_EQ(Shown(), (std::vector<int>{1, 4, 5, 2, 3}));
    ClickHeader(kTime);
    EXPECT_EQ(Shown(), (std::vector<int>{2, 5, 4, 1, 3})) << "Time sorts as Date does";

    // PPB: 12.05 against 0.99 and 300.00, by value.
    ClickHeader(kPpb1);
    EXPECT_EQ(Shown(), (std::vector<int>{2, 5, 1, 4, 3}));
    ClickHeader(kPpb1);
    EXPECT_EQ(Shown(), (std::vector<int>{4, 1, 5, 2, 3}));

    // "Record Index": the empty record has one and takes its place by it.
    ClickHeader(0);
    EXPECT_EQ(Shown(), (std::vector<int>{1, 2, 3, 4, 5}));
    ClickHeader(0);
    EXPECT_EQ(Shown(), (std::vector<int>{5, 4, 3, 2, 1}));

    // The list itself was never reordered.
    EXPECT_EQ(List.Item(0).RecordIndex(), 1);
    EXPECT_EQ(List.Item(4).RecordIndex(), 5);
}

TEST_F(RecordSorting, AResetShowsTheListsOwnOrderUnderRecordIndexAscending) {
    ClickHeader(kTotalCounts);
    ClickHeader(kTotalCounts);
    ASSERT_FALSE(Model->ShowsListOrder());
    // A download's final sort resets the list.
    List.SortAndRemoveDuplicates();
    EXPECT_TRUE(Model->ShowsListOrder());
    EXPECT_EQ(Shown(), (std::vector<int>{1, 2, 3, 4, 5}));
    for (QHeaderView* header : {View.horizontalHeader(), Frozen->FrozenView().horizontalHeader()}) {
        EXPECT_EQ(header->sortIndicatorSection(), 0);
        EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    }
    // The next download starts with a cleared list in the same way.
    ClickHeader(kDate);
    List.Clear();
    EXPECT_TRUE(Model->ShowsListOrder());
    EXPECT_EQ(View.horizontalHeader()->sortIndicatorSection(), 0);
    List.Append(Record(9, 1, 1, 1, 1));
    EXPECT_EQ(Shown(), (std::vector<int>{9}));
}

TEST_F(RecordSorting, TheSelectionFollowsItsRowAndRowsAddedWhileSortedJoinAtTheEnd) {
    View.selectRow(0); // record 1
    ClickHeader(kTotalCounts);
    const QModelIndexList selected = View.selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(Model->data(Model->index(selected[0].row(), 0)).toString(), "00001");
    EXPECT_EQ(selected[0].row(), 1);

    List.Append(Record(6, 1, 0, 1, 1));
    EXPECT_EQ(Shown(), (std::vector<int>{4, 1, 2, 5, 3, 6}));
    // The silver of the empty record follows it.
    EXPECT_EQ(Model->data(Model->index(4, 5), Qt::ForegroundRole).value<QBrush>().color(),
              QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(Model->data(Model->index(0, 5), Qt::ForegroundRole).value<QBrush>().color(),
              QColor(Qt::black));
}

TEST_F(RecordSorting, TheFirstThreeColumnsStayInSightWhenTheViewScrollsSideways) {
    QTableView& frozen = Frozen->FrozenView();
    EXPECT_TRUE(frozen.isVisible());
    for (int c = 0; c < Model->columnCount(); ++c) {
        EXPECT_EQ(frozen.isColumnHidden(c), c >= 3) << c;
    }
    const int frozenWidth = View.columnWidth(0) + View.columnWidth(1) + View.columnWidth(2);
    EXPECT_EQ(frozen.width(), frozenWidth);
    EXPECT_EQ(frozen.x(), View.frameWidth());

    QScrollBar& across = *View.horizontalScrollBar();
    ASSERT_GT(across.maximum(), 0);
    across.setValue(across.maximum());
    QApplication::processEvents();
    // The view's first columns went out of its viewport; the frozen ones did not move.
    EXPECT_LT(View.columnViewportPosition(0), 0);
    EXPECT_EQ(frozen.columnViewportPosition(0), 0);
    EXPECT_EQ(frozen.indexAt(QPoint(5, 5)).column(), 0);
    EXPECT_EQ(frozen.indexAt(QPoint(frozenWidth - 5, 5)).column(), 2);
    // The last column comes into sight to the right of the frozen ones.
    EXPECT_GE(View.columnViewportPosition(26), frozenWidth);

    // Up and down together, and the widths follow a drag of either header.
    List.BeginUpdate();
    for (int i = 10; i < 400; ++i) {
        List.Append(Record(i, 1, 1, 1, 1));
    }
    List.EndUpdate();
    View.verticalScrollBar()->setValue(View.verticalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_EQ(frozen.verticalScrollBar()->value(), View.verticalScrollBar()->value());
    EXPECT_EQ(frozen.rowAt(5), View.rowAt(5));
    View.horizontalHeader()->resizeSection(1, 150);
    EXPECT_EQ(frozen.columnWidth(1), 150);
    EXPECT_EQ(frozen.width(), frozenWidth + 30);
    frozen.horizontalHeader()->resizeSection(2, 100);
    EXPECT_EQ(View.columnWidth(2), 100);
}

TEST_F(RecordSorting, MarksColourTheirOwnRowsThroughASortKeepTheTextColourAndGoWithAReset) {
    // List rows: 0 (record 1) an alert, 2 (the empty record, silver) an action, 4 (record 5)
    // an action.
    Model->SetRowMarks(
        {TRowMark::Alert, TRowMark::None, TRowMark::Action, TRowMark::None, TRowMark::Action});
    const auto background = [this](int viewRow, int column = 5) {
        const QVariant brush = Model->data(Model->index(viewRow, column), Qt::BackgroundRole);
        return brush.isValid() ? brush.value<QBrush>().color().name() : QString("none");
    };
    const QString amber = background(0);
    const QString red = background(2);
    EXPECT_NE(amber, QStringLiteral("none"));
    EXPECT_NE(red, QStringLiteral("none"));
    EXPECT_NE(amber, red);
    EXPECT_EQ(background(1), QStringLiteral("none"));
    EXPECT_EQ(background(3), QStringLiteral("none"));
    EXPECT_EQ(background(4, 0), red) << "every cell of the row";

    // Sorted by total counts (records 4, 1, 2, 5, 3): the colours go with their records.
    ClickHeader(kTotalCounts);
    ASSERT_EQ(Shown(), (std::vector<int>{4, 1, 2, 5, 3}));
    EXPECT_EQ(background(0), QStringLiteral("none"));
    EXPECT_EQ(background(1), amber);
    EXPECT_EQ(background(2), QStringLiteral("none"));
    EXPECT_EQ(background(3), red);
    EXPECT_EQ(background(4), red);
    // The empty record keeps its silver text on the mark.
    EXPECT_EQ(Model->data(Model->index(4, 5), Qt::ForegroundRole).value<QBrush>().color(),
              QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(Model->data(Model->index(1, 5), Qt::ForegroundRole).value<QBrush>().color(),
              QColor(0, 0, 0));

    // A reset (the download's final sort) may reorder the rows: the marks are dropped.
    List.SortAndRemoveDuplicates();
    for (int row = 0; row < Model->rowCount(); ++row) {
        EXPECT_EQ(background(row), QStringLiteral("none")) << row;
    }
}
