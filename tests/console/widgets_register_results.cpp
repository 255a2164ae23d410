// The results table's model: rows inserted at the top and removed at the end as a view follows
// them (checked by QAbstractItemModelTester), its cells and captions, and its reset.
#include "RegisterResultsModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTableView>

#include <gtest/gtest.h>

using namespace Sondrel;

TEST(RegisterResultsModel, ReadsInsertAtTheTopAndTheOldestRowsLeaveAtTheEnd) {
    TRegisterResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    model.AddRead(rkHolding, 3, {7999}, TLogTime{9, 5, 7, 42});
    model.AddRead(rkInput, 100, {1, 2}, TLogTime{9, 5, 8, 0});
    ASSERT_EQ(inserted.size(), 2);
    EXPECT_EQ(inserted[1][1].toInt(), 0);
    EXPECT_EQ(inserted[1][2].toInt(), 1);
    ASSERT_EQ(model.rowCount(), 3);
    const auto cell = [&](int row, int column) {
        return model.data(model.index(row, column)).toString();
    };
    EXPECT_EQ(cell(0, 0), "100");
    EXPECT_EQ(cell(1, 1), "2");
    EXPECT_EQ(cell(2, 0), "3");
    EXPECT_EQ(cell(2, 1), "7999");
    EXPECT_EQ(cell(2, 2), "09:05:07.042");
    EXPECT_EQ(cell(0, 3), "Input");
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Address");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Value");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "Time");
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), "Type");

    // An empty reply adds nothing.
    model.AddRead(rkHolding, 0, {}, TLogTime{});
    EXPECT_EQ(inserted.size(), 2);

    // Filled past the limit: the oldest rows go from the end.
    const Corvane::TRegValues block(125, 5);
    while (model.rowCount() < TRegisterReadResults::MaxRows) {
        model.AddRead(rkHolding, 0, block, TLogTime{});
    }
    EXPECT_FALSE(removed.isEmpty());
    EXPECT_EQ(model.rowCount(), TRegisterReadResults::MaxRows);
    EXPECT_EQ(cell(0, 0), "0") << "the newest read stays on top";

    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.Clear();
    EXPECT_EQ(reset.size(), 1);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(RegisterResultsModel, TheViewIsReadOnlyWithWholeRowSelection) {
    TRegisterResultsModel model;
    QTableView view;
    SetUpRegisterResultsView(view, model);
    model.AddRead(rkHolding, 3, {7999}, TLogTime{});
    EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(model.data(model.index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                  Qt::AlignRight,
              Qt::AlignRight);
}
