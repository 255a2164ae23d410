// The record list's item model: rows following the list's appends and resets, captions, the
// silver rows and the view set-up, checked with QAbstractItemModelTester throughout.
#include "RecordList.h"
#include "RecordListModel.h"

#include "RecordTable.h"
#include "support/qt/ModelTesterGuard.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBrush>
#include <QFont>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>

#include <gtest/gtest.h>

#include <memory>

using namespace Sondrel;

namespace {

// An item with the given record index; silver items read 65535 in "Cnts 1" (high word 1).
TRecordItem ItemFor(std::int32_t index, bool silver = false) {
    static TRecordTable table;
    for (std::int32_t c = 0; c < TRecordTable::CellCount; ++c) {
        table.SetValue(0, c, 0);
    }
    table.SetValue(0, 1, static_cast<std::uint16_t>(index));
    table.SetValue(0, 33, silver ? 1 : 0);
    return *TRecordItem::FromRow(table, 0, 0);
}

QString Cell(const QAbstractItemModel& model, int row, int column) {
    return model.data(model.index(row, column)).toString();
}

struct TTesterFixture : ::testing::Test {
    TModelTesterGuard Guard;
    TRecordList List;
    std::unique_ptr<TRecordListModel> Model;
    std::unique_ptr<QAbstractItemModelTester> Tester;

    void Attach() {
        Model = std::make_unique<TRecordListModel>(List);
        Tester = std::make_unique<QAbstractItemModelTester>(
            Model.get(), QAbstractItemModelTester::FailureReportingMode::Warning);
    }

    void TearDown() override { EXPECT_EQ(TModelTesterGuard::Failures(), QString()); }
};

} // namespace

using RecordListModel = TTesterFixture;

TEST_F(RecordListModel, ShowsTheListsColumnsCaptionsAndTexts) {
    List.Append(ItemFor(12));
    Attach();
    EXPECT_EQ(Model->columnCount(), 27);
    EXPECT_EQ(Model->rowCount(), 1);
    EXPECT_EQ(Model->headerData(0, Qt::Horizontal).toString(), "Record Index");
    EXPECT_EQ(Model->headerData(3, Qt::Horizontal).toString(), "Cnts 1");
    EXPECT_EQ(Model->headerData(26, Qt::Horizontal).toString(), "Index");
    EXPECT_TRUE(Model->headerData(5, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(Cell(*Model, 0, 0), "00012");
    for (int c = 0; c < 27; ++c) {
        EXPECT_EQ(Cell(*Model, 0, c).toStdString(), List.Text(0, c)) << c;
    }
    EXPECT_FALSE(Model->flags(Model->index(0, 0)).testFlag(Qt::ItemIsEditable));
}

TEST_F(RecordListModel, SilverRowsAreDrawnInSilverAndOthersInBlack) {
    List.Append(ItemFor(1));
    List.Append(ItemFor(2, true));
    Attach();
    EXPECT_EQ(Cell(*Model, 1, 3), "65535");
    for (int c : {0, 3, 26}) {
        EXPECT_EQ(Model->data(Model->index(1, c), Qt::ForegroundRole).value<QBrush>().color(),
                  QColor(0xC0, 0xC0, 0xC0));
        EXPECT_EQ(Model->data(Model->index(0, c), Qt::ForegroundRole).value<QBrush>().color(),
                  QColor(Qt::black));
    }
}

TEST_F(RecordListModel, AppendedItemsBecomeRowsWhileAViewWatches) {
    Attach();
    QTableView view;
    SetUpRecordListView(view, *Model);
    view.resize(800, 400);
    view.show();
    QSignalSpy inserted(Model.get(), &QAbstractItemModel::rowsInserted);

    List.Append(ItemFor(1));
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 0);

    // Inside an update bracket the view sees no new rows until the bracket closes.
    List.BeginUpdate();
    for (int i = 2; i <= 5; ++i) {
        List.Append(ItemFor(i));
    }
    QApplication::processEvents(); // the view may paint in the middle of an import
    EXPECT_EQ(Model->rowCount(), 1);
    List.EndUpdate();
    ASSERT_EQ(inserted.count(), 2);
    EXPECT_EQ(inserted[1][1].toInt(), 1);
    EXPECT_EQ(inserted[1][2].toInt(), 4);
    EXPECT_EQ(view.model()->rowCount(), 5);
    EXPECT_EQ(Cell(*view.model(), 4, 0), "00005");
}

TEST_F(RecordListModel, AModelMadeDuringAnUpdateDoesNotInsertRowsTwice) {
    List.Append(ItemFor(1));
    List.BeginUpdate();
    List.Append(ItemFor(2));
    Attach();
    EXPECT_EQ(Model->rowCount(), 2);
    List.Append(ItemFor(3));
    List.EndUpdate(); // reports items 1..2, of which item 1 is already a row
    EXPECT_EQ(Model->rowCount(), 3);
    EXPECT_EQ(Cell(*Model, 2, 0), "00003");
}

TEST_F(RecordListModel, ClearAndSortResetTheRows) {
    Attach();
    for (int index : {7, 3, 7, 5}) {
        List.Append(ItemFor(index));
    }
    QSignalSpy resets(Model.get(), &QAbstractItemModel::modelReset);
    List.SortAndRemoveDuplicates();
    EXPECT_EQ(resets.count(), 1);
    ASSERT_EQ(Model->rowCount(), 3);
    EXPECT_EQ(Cell(*Model, 0, 0), "00003");
    EXPECT_EQ(Cell(*Model, 2, 0), "00007");

    List.Clear();
    EXPECT_EQ(resets.count(), 2);
    EXPECT_EQ(Model->rowCount(), 0);
    List.Append(ItemFor(9));
    EXPECT_EQ(Model->rowCount(), 1);
}

TEST_F(RecordListModel, RewrittenCaptionsReachTheHeader) {
    Attach();
    QSignalSpy changed(Model.get(), &QAbstractItemModel::headerDataChanged);
    List.SetColumnCaption(5, "1-2 cnts");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].value<Qt::Orientation>(), Qt::Horizontal);
    EXPECT_EQ(Model->headerData(5, Qt::Horizontal).toString(), "1-2 cnts");
}

TEST_F(RecordListModel, TheListOutlivesItsModelSafely) {
    Attach();
    Tester.reset();
    Model.reset();
    List.Append(ItemFor(1));
    List.SetColumnCaption(0, "x");
    List.Clear();
    EXPECT_EQ(List.Count(), 0);
}

TEST_F(RecordListModel, ViewShowsTheEnginesSortOrderAndTheListsWidths) {
    // The list in the order a download's passes leave it, before its final sort.
    for (int index : {7, 3, 5}) {
        List.Append(ItemFor(index));
    }
    Attach();
    QTableView view;
    view.setSortingEnabled(true); // as a form may set it: the model must not be re-sorted
    SetUpRecordListView(view, *Model);
    const QHeaderView& header = *view.horizontalHeader();
    EXPECT_TRUE(header.isSortIndicatorShown());
    EXPECT_EQ(header.sortIndicatorSection(), 0);
    EXPECT_EQ(header.sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(header.sectionSize(0), 120);
    EXPECT_EQ(header.sectionSize(25), 120);
    EXPECT_EQ(header.sectionSize(26), 50);
    // Headers sort on a click, but setting the view up reorders nothing.
    EXPECT_TRUE(view.isSortingEnabled());
    EXPECT_TRUE(header.sectionsClickable());
    EXPECT_TRUE(Model->ShowsListOrder());
    EXPECT_EQ(Cell(*Model, 0, 0), "00007");
    EXPECT_EQ(Cell(*Model, 2, 0), "00005");
}

TEST_F(RecordListModel, AWholeLogOf62001RowsScrollsToItsLastRecord) {
    Attach();
    QTableView view;
    SetUpRecordListView(view, *Model);
    view.resize(1000, 600);
    view.show();
    List.BeginUpdate();
    for (std::int32_t i = 0; i < TRecordItem::RecordSpace; ++i) {
        List.Append(ItemFor(i));
    }
    List.EndUpdate();
    ASSERT_EQ(view.model()->rowCount(), 62001);
    view.scrollToBottom();
    QApplication::processEvents();
    const QModelIndex last = view.indexAt(QPoint(5, view.viewport()->height() - 3));
    EXPECT_EQ(last.row(), 62000);
    EXPECT_EQ(Cell(*view.model(), last.row(), 0), "62000");
}
