// The access panel's coil and register write lists on their widgets: rows, check boxes,
// in-place value edits, the single-write buttons and the errors of bad edits.
#include "CoilListBinding.h"
#include "RegisterListBinding.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

using namespace Sondrel;

namespace {

// A page with the write group's widgets, shown on the offscreen screen.
struct TWriteGroup {
    QWidget Page;
    QLineEdit* StartEdit = new QLineEdit("0", &Page);
    QLineEdit* CountEdit = new QLineEdit("1", &Page);
    QTreeWidget* List = new QTreeWidget(&Page);
    QPushButton* WriteSingle = new QPushButton("Write Single", &Page);
    QPushButton* Elsewhere = new QPushButton("Elsewhere", &Page);
    QStringList Errors;
    TShowError ShowError = [this](const QString& text) { Errors << text; };

    TWriteGroup() {
        auto* layout = new QVBoxLayout(&Page);
        for (QWidget* w : {static_cast<QWidget*>(StartEdit), static_cast<QWidget*>(CountEdit),
                           static_cast<QWidget*>(List), static_cast<QWidget*>(WriteSingle),
                           static_cast<QWidget*>(Elsewhere)}) {
            layout->addWidget(w);
        }
        Page.resize(300, 400);
        Page.show();
        Elsewhere->setFocus();
    }

    void Set(const char* start, const char* count) {
        StartEdit->setText(start);
        CountEdit->setText(count);
    }
    QStringList Column(int column) const {
        QStringList texts;
        for (int i = 0; i < List->topLevelItemCount(); ++i) {
            texts << List->topLevelItem(i)->text(column);
        }
        return texts;
    }
};

} // namespace

TEST(CoilListBinding, RowsAreCheckBoxesLabelledFromTheStart) {
    TWriteGroup group;
    TCoilListBinding coils(*group.List, *group.StartEdit, *group.CountEdit, *group.WriteSingle,
                           group.ShowError);
    group.Set("65534", "3");
    ASSERT_TRUE(coils.RebuildCoilList());
    EXPECT_EQ(group.List->headerItem()->text(0), "Address");
    EXPECT_EQ(group.Column(0), QStringList({"Coil 65534", "Coil 65535", "Coil 65536"}));
    EXPECT_EQ(group.List->topLevelItem(0)->checkState(0), Qt::Unchecked);
    EXPECT_FALSE(group.List->topLevelItem(0)->flags().testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(group.Errors.isEmpty());
}

TEST(CoilListBinding, ToggledCheckBoxesAreWrittenAndSurviveARebuild) {
    TWriteGroup group;
    TCoilListBinding coils(*group.List, *group.StartEdit, *group.CountEdit, *group.WriteSingle,
                           group.ShowError);
    group.Set("0", "3");
    ASSERT_TRUE(coils.RebuildCoilList());
    group.List->topLevelItem(1)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(coils.List().CheckStates(), (std::vector<bool>{false, true, false}));

    group.Set("20", "4");
    ASSERT_TRUE(coils.RebuildCoilList());
    EXPECT_EQ(coils.List().CheckStates(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(group.List->topLevelItem(1)->checkState(0), Qt::Checked);
    EXPECT_EQ(group.List->topLevelItem(3)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(coils.List().StartAddress(), 20);
}

TEST(CoilListBinding, WriteSingleCoilIsEnabledExactlyForOneRow) {
    TWriteGroup group;
    TCoilListBinding coils(*group.List, *group.StartEdit, *group.CountEdit, *group.WriteSingle,
                           group.ShowError);
    group.Set("0", "2");
    ASSERT_TRUE(coils.RebuildCoilList());
    EXPECT_FALSE(group.WriteSingle->isEnabled());
    group.Set("0", "1");
    ASSERT_TRUE(coils.RebuildCoilList());
    EXPECT_TRUE(group.WriteSingle->isEnabled());
}

TEST(CoilListBinding, ABadEditIsFocusedAndReportedAndTheRowsStay) {
    TWriteGroup group;
    TCoilListBinding coils(*group.List, *group.StartEdit, *group.CountEdit, *group.WriteSingle,
                           group.ShowError);
    group.Set("5", "2");
    ASSERT_TRUE(coils.RebuildCoilList());
    group.Set("5", "1977");
    EXPECT_FALSE(coils.RebuildCoilList());
    EXPECT_EQ(group.Errors, QStringList{"Value must be between 1 and 1976"});
    EXPECT_EQ(group.Page.focusWidget(), group.CountEdit);
    EXPECT_EQ(group.Column(0), QStringList({"Coil 5", "Coil 6"}));

    group.Errors.clear();
    group.Set("start", "1977");
    EXPECT_FALSE(coils.RebuildCoilList());
    EXPECT_EQ(group.Errors, QStringList{"'start' is not a valid integer value"});
    EXPECT_EQ(group.Page.focusWidget(), group.StartEdit);
}

namespace {

struct RegisterListBinding : ::testing::Test {
    TWriteGroup Group;
    TRegisterListBinding Registers{*Group.List, *Group.StartEdit, *Group.CountEdit,
                                   *Group.WriteSingle, Group.ShowError};

    QTreeWidgetItem* Row(int row) const { return Group.List->topLevelItem(row); }
    QWidget* EditorOf(int row) const {
        return Group.List->indexWidget(
            Group.List->model()->index(row, TRegisterListBinding::ValueColumn));
    }
};

} // namespace

TEST_F(RegisterListBinding, AddressColumnComesFirstAndLabelsPass16Bits) {
    Group.Set("65535", "3");
    ASSERT_TRUE(Registers.RebuildRegisterList(true));
    EXPECT_EQ(Group.List->headerItem()->text(0), "Address");
    EXPECT_EQ(Group.List->headerItem()->text(1), "Value");
    EXPECT_GE(Group.List->columnWidth(0), 90);
    EXPECT_GT(Group.List->columnWidth(0),
              Group.List->fontMetrics().horizontalAdvance("Register 65537"));
    EXPECT_EQ(Group.Column(0), QStringList({"Register 65535", "Register 65536", "Register 65537"}));
    EXPECT_EQ(Group.Column(1), QStringList({"0", "0", "0"}));
    EXPECT_EQ(Registers.List().StartAddress(), 65535);
}

TEST_F(RegisterListBinding, EditedValuesWrapAndSurviveARebuild) {
    Group.Set("0", "2");
    ASSERT_TRUE(Registers.RebuildRegisterList(true));
    Row(0)->setText(1, "70000"); // what the in-place editor's commit does
    Row(1)->setText(1, "-1");
    EXPECT_EQ(Group.Column(1), QStringList({"4464", "65535"}));
    EXPECT_EQ(Registers.List().Values(), (std::vector<std::uint16_t>{4464, 65535}));

    Group.Set("10", "3");
    ASSERT_TRUE(Registers.RebuildRegisterList(true));
    EXPECT_EQ(Group.Column(1), QStringList({"4464", "65535", "0"}));
    EXPECT_EQ(Group.Column(0), QStringList({"Register 10", "Register 11", "Register 12"}));
}

TEST_F(RegisterListBinding, AnInvalidValueKeepsTheOldOneAndIsReportedAfterTheEdit) {
    Group.Set("40", "2");
    ASSERT_TRUE(Registers.RebuildRegisterList(true));
    Row(1)->setText(1, "12");
    Row(1)->setText(1, "twelve");
    EXPECT_EQ(Row(1)->text(1), "12");
    EXPECT_TRUE(Group.Errors.isEmpty()) << "shown once the editor has closed";
    QApplication::processEvents();
    EXPECT_EQ(Group.Errors, QStringList{"You've entered an invalid value for 'Register 41'"});
    EXPECT_EQ(Registers.List().Values(), (std::vector<std::uint16_t>{0, 12}));
}

TEST_F(RegisterListBinding, EnterEditsTheSelectedValueInPlace) {
    Group.Set("0", "3");
    ASSERT_TRUE(Registers.RebuildRegisterList(true));
    Group.List->setFocus();
    QTest::keyClick(Group.List, Qt::Key_Return);
    EXPECT_EQ(EditorOf(0), nullptr) << "no row selected: the key is not taken";

    Group.List->setCurrentItem(Row(2));
    QTest::keyClick(Group.List, Qt::Key_Return);
    auto* editor = qobject_cast<QLineEdit*>(EditorOf(2));
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "70000");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(Row(2)->text(1), "4464");
    EXPECT_EQ(Row(2)->text(0), "Register 2");
    EXPECT_TRUE(Group.Errors.isEmpty());
}

TEST_F(RegisterListBinding, DoubleClickEditsTheValueOfTheRowUnderTheMouse) {
    Group.Set("0", "3");
    ASSERT_TRUE(Registers.RebuildRegisterList(true));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Group.Page));
    // Over the address cell: the value is what gets edited, whichever cell was clicked.
    const QPoint addressCell(10, Group.List->visualItemRect(Row(1)).center().y());
    // A double-click arrives after the press and release of its first click.
    QTest::mouseClick(Group.List->viewport(), Qt::LeftButton, Qt::NoModifier, addressCell);
    QTest::mouseDClick(Group.List->viewport(), Qt::LeftButton, Qt::NoModifier, addressCell);
    EXPECT_NE(EditorOf(1), nullptr);
    EXPECT_EQ(EditorOf(0), nullptr);
}

TEST_F(RegisterListBinding, WriteSingleRegisterFollowsTheRowsOnlyWhileConnected) {
    Group.Set("0", "1");
    Group.WriteSingle->setEnabled(false); // as the closed connection left it
    ASSERT_TRUE(Registers.RebuildRegisterList(false));
    EXPECT_FALSE(Group.WriteSingle->isEnabled());
    ASSERT_TRUE(Registers.RebuildRegisterList(true));
    EXPECT_TRUE(Group.WriteSingle->isEnabled());
    Group.Set("0", "2");
    ASSERT_TRUE(Registers.RebuildRegisterList(true));
    EXPECT_FALSE(Group.WriteSingle->isEnabled());
    Group.WriteSingle->setEnabled(true);
    ASSERT_TRUE(Registers.RebuildRegisterList(false));
    EXPECT_TRUE(Group.WriteSingle->isEnabled());
}

TEST_F(RegisterListBinding, ABadCountIsFocusedAndReported) {
    Group.Set("0", "124");
    EXPECT_FALSE(Registers.RebuildRegisterList(true));
    EXPECT_EQ(Group.Errors, QStringList{"Value must be between 1 and 123"});
    EXPECT_EQ(Group.Page.focusWidget(), Group.CountEdit);
    EXPECT_EQ(Group.List->topLevelItemCount(), 0);
}
