// The item map's list model and the item editor dialog.
#include "ConsoleTestSupport.h"
#include "ServerItemEditorForm.h"
#include "ServerItemListModel.h"
#include "support/qt/ModelTesterGuard.h"
#include "ui_ServerItemEditorForm.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QSignalSpy>
#include <QTableView>

#include <gtest/gtest.h>

#include <memory>

using namespace Sondrel;
using ConsoleTest::TTempFolder;
using ConsoleTest::WriteAll;

namespace {

TServerItem Item(TServerItemKind kind, std::uint16_t address, std::uint16_t value = 0) {
    TServerItem item = NewServerItem(kind);
    item.Address = address;
    item.Value = value;
    return item;
}

QStringList RowText(const QAbstractItemModel& model, int row) {
    QStringList texts;
    for (int c = 0; c < model.columnCount(); ++c) {
        texts << model.data(model.index(row, c)).toString();
    }
    return texts;
}

struct ServerItemListModel : ::testing::Test {
    TModelTesterGuard Guard;
    TServerItemMap Map;
    TServerItemListModel Model{Map};
    QAbstractItemModelTester Tester{&Model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning};

    void TearDown() override { EXPECT_EQ(TModelTesterGuard::Failures(), QString()); }
};

} // namespace

TEST_F(ServerItemListModel, ColumnsAndTextsAreThoseOfTheItemList) {
    const QStringList captions = {"Addr", "Kind", "Value", "Min", "Max", "Status"};
    const std::vector<int> widths = {45, 90, 45, 45, 45, 70};
    ASSERT_EQ(Model.columnCount(), 6);
    QTableView view;
    SetUpServerItemsListView(view, Model);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(Model.headerData(c, Qt::Horizontal).toString(), captions[c]);
        EXPECT_EQ(TServerItemListModel::ColumnWidth(c), widths[static_cast<std::size_t>(c)]);
        EXPECT_GE(view.columnWidth(c), widths[static_cast<std::size_t>(c)]);
    }
    TServerItem reg = Item(ikHoldingRegister, 300, 1234);
    reg.Min = 10;
    reg.Max = 2000;
    reg.Writeable = 0;
    Model.AddOrOverwriteItem(reg);
    Model.AddOrOverwriteItem(Item(ikCoil, 7, 1));
    EXPECT_EQ(RowText(Model, 0), QStringList({"7", "Coil", "On", "N/A", "N/A", "Read/Write"}));
    EXPECT_EQ(RowText(Model, 1),
              QStringList({"300", "Holding Register", "1234", "10", "2000", "Read-Only"}));
    EXPECT_GT(view.columnWidth(1), view.fontMetrics().horizontalAdvance("Holding Register"))
        << "the widest kind is not cut off";
}

TEST_F(ServerItemListModel, RowsStayInKindThenAddressOrderAsItemsArrive) {
    QSignalSpy inserted(&Model, &QAbstractItemModel::rowsInserted);
    Model.AddOrOverwriteItem(Item(ikInputRegister, 1));
    Model.AddOrOverwriteItem(Item(ikCoil, 9));
    Model.AddOrOverwriteItem(Item(ikHoldingRegister, 4));
    Model.AddOrOverwriteItem(Item(ikCoil, 2));
    Model.AddOrOverwriteItem(Item(ikDiscreteInput, 65535));
    const auto result = Model.AddOrOverwriteItem(Item(ikHoldingRegister, 0));
    EXPECT_TRUE(result.Added);
    EXPECT_EQ(result.Row, 3U);
    ASSERT_EQ(inserted.count(), 6);
    EXPECT_EQ(inserted.last()[1].toInt(), 3);
    QStringList order;
    for (int r = 0; r < Model.rowCount(); ++r) {
        order << RowText(Model, r)[1] + " " + RowText(Model, r)[0];
    }
    EXPECT_EQ(order, QStringList({"Coil 2", "Coil 9", "Discrete Input 65535", "Holding Register 0",
                                  "Holding Register 4", "Input Register 1"}));
}

TEST(ServerItemsListViewCompare, KindFirstThenAddressAndARowWithoutAnItemIsEqual) {
    const TServerItem coil9 = Item(ikCoil, 9);
    const TServerItem input0 = Item(ikDiscreteInput, 0);
    const TServerItem coil2 = Item(ikCoil, 2, 7);
    EXPECT_LT(TServerItemListModel::ServerItemsListViewCompare(&coil9, &input0), 0);
    EXPECT_GT(TServerItemListModel::ServerItemsListViewCompare(&input0, &coil9), 0);
    EXPECT_LT(TServerItemListModel::ServerItemsListViewCompare(&coil2, &coil9), 0);
    const TServerItem coil2Other = Item(ikCoil, 2, 1); // the value plays no part
    EXPECT_EQ(TServerItemListModel::ServerItemsListViewCompare(&coil2, &coil2Other), 0);
    EXPECT_EQ(TServerItemListModel::ServerItemsListViewCompare(nullptr, &coil2), 0);
    EXPECT_EQ(TServerItemListModel::ServerItemsListViewCompare(&coil2, nullptr), 0);
}

TEST_F(ServerItemListModel, AddingAnExistingAddressAndKindOverwritesItsRow) {
    Model.AddOrOverwriteItem(Item(ikCoil, 5, 0));
    Model.AddOrOverwriteItem(Item(ikCoil, 6, 0));
    QSignalSpy inserted(&Model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&Model, &QAbstractItemModel::dataChanged);
    const auto result = Model.AddOrOverwriteItem(Item(ikCoil, 5, 1));
    EXPECT_FALSE(result.Added);
    EXPECT_EQ(Model.rowCount(), 2);
    EXPECT_EQ(inserted.count(), 0);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(RowText(Model, 0)[2], "On");
}

TEST_F(ServerItemListModel, ARemoteWriteRefreshesOnlyItsRow) {
    Model.AddOrOverwriteItem(Item(ikHoldingRegister, 1, 5));
    Model.AddOrOverwriteItem(Item(ikHoldingRegister, 2, 6));
    QSignalSpy changed(&Model, &QAbstractItemModel::dataChanged);
    Map.SetRowValue(1, 300); // as the server binding does
    Model.RefreshRow(1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), Model.index(1, 0));
    EXPECT_EQ(changed[0][1].toModelIndex(), Model.index(1, 5));
    EXPECT_EQ(RowText(Model, 1)[2], "300");
    Model.RefreshRow(7); // no such row: nothing
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(ServerItemListModel, EditRemoveAndRemoveAllReachTheView) {
    Model.AddOrOverwriteItem(Item(ikCoil, 1));
    Model.AddOrOverwriteItem(Item(ikCoil, 2));
    Model.AddOrOverwriteItem(Item(ikCoil, 3));
    TServerItem edited = Model.Item(1);
    edited.Writeable = 0;
    Model.EditItem(1, edited);
    EXPECT_EQ(RowText(Model, 1)[5], "Read-Only");

    QSignalSpy removed(&Model, &QAbstractItemModel::rowsRemoved);
    Model.RemoveItem(0);
    EXPECT_EQ(RowText(Model, 0)[0], "2");
    EXPECT_THROW(Model.RemoveItem(5), std::out_of_range);
    Model.RemoveAllItems();
    EXPECT_EQ(Model.rowCount(), 0);
    EXPECT_EQ(Map.RowCount(), 0U);
    EXPECT_EQ(removed.count(), 2);
    Model.RemoveAllItems(); // empty: nothing to announce
    EXPECT_EQ(removed.count(), 2);
}

TEST_F(ServerItemListModel, AnUnknownKindIsRefusedWithoutARow) {
    TServerItem odd = Item(ikCoil, 1);
    odd.Kind = static_cast<TServerItemKind>(9);
    EXPECT_THROW(Model.AddOrOverwriteItem(odd), std::invalid_argument);
    EXPECT_EQ(Model.rowCount(), 0);
}

TEST_F(ServerItemListModel, LoadingReplacesTheRowsAndAFailedLoadLeavesAConsistentModel) {
    TTempFolder folder;
    Model.AddOrOverwriteItem(Item(ikCoil, 1));
    const std::string record = {
        5, 0, 2, 9, 0, 0, 0, static_cast<char>(0xFF), static_cast<char>(0xFF), 1};
    WriteAll(folder / "ServerItems.dat", record + record.substr(0, 4));
    QSignalSpy resets(&Model, &QAbstractItemModel::modelReset);
    Model.LoadItems(folder / "ServerItems.dat");
    EXPECT_EQ(resets.count(), 1);
    ASSERT_EQ(Model.rowCount(), 1);
    EXPECT_EQ(RowText(Model, 0)[1], "Holding Register");

    // A folder cannot be read as the item file.
    EXPECT_ANY_THROW(Model.LoadItems(folder.Path()));
    EXPECT_EQ(resets.count(), 2);
    EXPECT_EQ(Model.rowCount(), static_cast<int>(Map.RowCount()));
}

// --- the item editor dialog ---

namespace {

struct TEditorCase {
    TServerItemKind Kind;
    const char* KindText;
    bool ShowsRegisterEdits;
    bool ShowsWriteable;
};

const TEditorCase kEditorCases[] = {
    {ikCoil, "Coil", false, true},
    {ikDiscreteInput, "Discrete Input", false, false},
    {ikHoldingRegister, "Holding Register", true, true},
    {ikInputRegister, "Input Register", true, false},
};

struct ServerItemEditor : ::testing::Test {
    QStringList Errors;
    TShowError ShowError = [this](const QString& text) { Errors << text; };
};

} // namespace

TEST_F(ServerItemEditor, CaptionsAndShownControlsFollowTheKind) {
    for (const TEditorCase& c : kEditorCases) {
        SCOPED_TRACE(c.KindText);
        TServerItemEditorForm created(NewServerItem(c.Kind), true, ShowError);
        EXPECT_EQ(created.windowTitle(), QString("New ") + c.KindText);
        TServerItemEditorForm existing(NewServerItem(c.Kind), false, ShowError);
        EXPECT_EQ(existing.windowTitle(), QString("Edit ") + c.KindText);

        auto& f = existing.Form();
        EXPECT_EQ(f.ValueCheckBox->isHidden(), c.ShowsRegisterEdits);
        for (QWidget* w :
             {static_cast<QWidget*>(f.ValueEdit), static_cast<QWidget*>(f.ValueLabel),
              static_cast<QWidget*>(f.MinValueEdit), static_cast<QWidget*>(f.MinValueLabel),
              static_cast<QWidget*>(f.MaxValueEdit), static_cast<QWidget*>(f.MaxValueLabel)}) {
            EXPECT_EQ(w->isHidden(), !c.ShowsRegisterEdits) << w->objectName().toStdString();
        }
        EXPECT_EQ(f.WriteableCheckBox->isHidden(), !c.ShowsWriteable);
        EXPECT_FALSE(f.AddressEdit->isHidden());
    }
}

TEST_F(ServerItemEditor, TextsAndHintsAreTheDialogsOwn) {
    TServerItemEditorForm form(NewServerItem(ikHoldingRegister), true, ShowError);
    auto& f = form.Form();
    EXPECT_EQ(f.AddressLabel->text(), "Item &Address:");
    EXPECT_EQ(f.AddressEdit->toolTip(), "Specifies the address of this item.");
    EXPECT_EQ(f.ValueCheckBox->text(), "&Item is ON (the bit is set)");
    EXPECT_EQ(f.ValueCheckBox->toolTip(),
              "If checked, the value of this item is ON, otherwise it is OFF.");
    EXPECT_EQ(f.ValueLabel->text(), "Item &Value:");
    EXPECT_EQ(f.ValueEdit->toolTip(), "Specifies the item's current value.");
    EXPECT_EQ(f.MinValueLabel->text(), "&Min Value:");
    EXPECT_EQ(f.MinValueEdit->toolTip(), "Specifies the minimum value this item can have.");
    EXPECT_EQ(f.MaxValueLabel->text(), "M&ax Value:");
    EXPECT_EQ(f.MaxValueEdit->toolTip(), "Specifies the maximum value this item can have.");
    EXPECT_EQ(f.WriteableCheckBox->text(), "Item is &Writeable");
    EXPECT_EQ(f.WriteableCheckBox->toolTip(),
              "If checked, the value of this item is allowed to be modified by a remote client.");
    EXPECT_EQ(f.OKButton->text(), "OK");
    EXPECT_TRUE(f.OKButton->isDefault());
    EXPECT_EQ(f.CancelButton->text(), "Cancel");
}

TEST_F(ServerItemEditor, IsAFixedSizeDialogWithoutSystemButtons) {
    TServerItemEditorForm form(NewServerItem(ikCoil), true, ShowError);
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowContextHelpButtonHint));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
}

TEST_F(ServerItemEditor, AnExistingItemsAddressIsReadOnlyInTheButtonFaceColour) {
    TServerItem item = NewServerItem(ikHoldingRegister);
    item.Address = 321;
    TServerItemEditorForm existing(item, false, ShowError);
    auto& f = existing.Form();
    EXPECT_EQ(f.AddressEdit->text(), "321");
    EXPECT_TRUE(f.AddressEdit->isReadOnly());
    EXPECT_EQ(f.AddressEdit->palette().color(QPalette::Base),
              f.AddressEdit->palette().color(QPalette::Button));
    TServerItemEditorForm created(item, true, ShowError);
    EXPECT_FALSE(created.Form().AddressEdit->isReadOnly());
}

TEST_F(ServerItemEditor, FieldsAreFilledFromTheItem) {
    TServerItem reg = NewServerItem(ikHoldingRegister);
    reg.Value = 12;
    reg.Min = 3;
    reg.Max = 400;
    reg.Writeable = 0;
    TServerItemEditorForm form(reg, false, ShowError);
    EXPECT_EQ(form.Form().ValueEdit->text(), "12");
    EXPECT_EQ(form.Form().MinValueEdit->text(), "3");
    EXPECT_EQ(form.Form().MaxValueEdit->text(), "400");
    EXPECT_FALSE(form.Form().WriteableCheckBox->isChecked());

    TServerItem coil = NewServerItem(ikCoil);
    coil.Value = 1;
    TServerItemEditorForm bit(coil, false, ShowError);
    EXPECT_TRUE(bit.Form().ValueCheckBox->isChecked());
    EXPECT_TRUE(bit.Form().WriteableCheckBox->isChecked());
}

TEST_F(ServerItemEditor, OkChecksAddressThenMinThenMaxThenValueAndFocusesTheFirstBadEdit) {
    TServerItemEditorForm form(NewServerItem(ikInputRegister), true, ShowError);
    form.show();
    auto& f = form.Form();
    f.AddressEdit->setText("70000");
    f.MinValueEdit->setText("x");
    f.MaxValueEdit->setText("5");
    f.ValueEdit->setText("9");
    struct TStep {
        QLineEdit* Fix;
        QString FixedText;
        QLineEdit* Focused;
        QString Error;
    };
    const std::vector<TStep> steps = {
        {nullptr, "", f.AddressEdit, "Value must be between 0 and 65535"},
        {f.AddressEdit, "1", f.MinValueEdit, "'x' is not a valid integer value"},
        {f.MinValueEdit, "10", f.MaxValueEdit, "Value must be between 10 and 65535"},
        {f.MaxValueEdit, "20", f.ValueEdit, "Value must be between 10 and 20"},
    };
    for (const TStep& step : steps) {
        if (step.Fix != nullptr) {
            step.Fix->setText(step.FixedText);
        }
        Errors.clear();
        f.OKButton->click();
        EXPECT_EQ(Errors, QStringList{step.Error});
        EXPECT_EQ(form.focusWidget(), step.Focused);
        EXPECT_TRUE(form.isVisible()) << "a failed check keeps the dialog open";
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }
    f.ValueEdit->setText("15");
    Errors.clear();
    f.OKButton->click();
    EXPECT_TRUE(Errors.isEmpty());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ServerItemEditor, EqualMinAndMaxAcceptOnlyThatValue) {
    TServerItemEditorForm form(NewServerItem(ikHoldingRegister), true, ShowError);
    auto& f = form.Form();
    f.MinValueEdit->setText("10");
    f.MaxValueEdit->setText("10");
    f.ValueEdit->setText("11");
    f.OKButton->click();
    EXPECT_EQ(Errors, QStringList{"Value must be between 10 and 10"});
    EXPECT_NE(form.result(), QDialog::Accepted);
    f.ValueEdit->setText("10");
    f.OKButton->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.EditedItem().Value, 10);
}

TEST_F(ServerItemEditor, BitItemsSkipTheRegisterChecks) {
    TServerItemEditorForm form(NewServerItem(ikDiscreteInput), true, ShowError);
    form.Form().AddressEdit->setText("65535");
    form.Form().ValueEdit->setText("not checked for bits");
    form.Form().OKButton->click();
    EXPECT_TRUE(Errors.isEmpty());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(ServerItemEditor, EditServerItemWritesBackOnlyOnOk) {
    TServerItem coil = NewServerItem(ikCoil);
    coil.Address = 5;
    TServerItemEditorSeams seams;
    seams.ShowError = ShowError;
    seams.ExecDialog = [](QDialog& dialog) {
        auto& form = static_cast<TServerItemEditorForm&>(dialog);
        form.Form().ValueCheckBox->setChecked(true);
        form.Form().WriteableCheckBox->setChecked(false);
        form.Form().OKButton->click();
        return form.result();
    };
    ASSERT_TRUE(EditServerItem(coil, false, seams));
    EXPECT_EQ(coil.Address, 5);
    EXPECT_EQ(coil.Value, 1);
    EXPECT_EQ(coil.Writeable, 0);

    TServerItem reg = NewServerItem(ikHoldingRegister);
    seams.ExecDialog = [](QDialog& dialog) {
        auto& form = static_cast<TServerItemEditorForm&>(dialog);
        form.Form().AddressEdit->setText("77");
        form.Form().MaxValueEdit->setText("100");
        form.Form().ValueEdit->setText("42");
        form.Form().CancelButton->click();
        return form.result();
    };
    EXPECT_FALSE(EditServerItem(reg, true, seams));
    EXPECT_TRUE(SameServerItem(reg, NewServerItem(ikHoldingRegister)));

    // A seam that claims OK while the check fails cannot slip bad fields through.
    seams.ExecDialog = [](QDialog& dialog) {
        auto& form = static_cast<TServerItemEditorForm&>(dialog);
        form.Form().MinValueEdit->setText("500");
        form.Form().OKButton->click();
        return static_cast<int>(QDialog::Accepted);
    };
    EXPECT_FALSE(EditServerItem(reg, true, seams));
    EXPECT_EQ(reg.Min, 0);
    EXPECT_EQ(Errors, QStringList{"Value must be between 500 and 65535"});
}
