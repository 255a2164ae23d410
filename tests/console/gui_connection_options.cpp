// The connection options dialog: field checks, dependent controls, server mode, and what
// applying does to an open connection.
#include "ModbusConnectionEditForm.h"
#include "ui_ModbusConnectionEditForm.h"

#include "WindowFixture.h"

#include "CorvaneError.h"
#include "ModbusConnection.h"
#include "PtyPair.h"

#include <QRadioButton>

using namespace Corvane;
using namespace TestSupport;

namespace {

class ConnectionOptions : public ::testing::Test {
protected:
    ConnectionOptions() {
        Form.ShowError = [this](const QString& text) { Errors << text; };
        Form.LoadFrom(Connection);
    }

    // Counts the connection's open and close events.
    void CountEvents() {
        Connection.OnBeforeOpen = [this](TModbusConnection&) { ++Opens; };
        Connection.OnBeforeClose = [this](TModbusConnection&) { ++Closes; };
    }

    // Runs EditModbusConnection, answering the dialog with edit() and then OK.
    template <typename F>
    bool EditAndConfirm(F&& edit) {
        TConnectionEditHooks hooks;
        hooks.ShowError = [this](const QString& text) { Errors << text; };
        hooks.Exec = [&edit](TModbusConnectionEditForm& form) {
            edit(form.Form());
            form.Form().OKButton->click();
            return form.result();
        };
        return EditModbusConnection(Connection, QStringLiteral("Modbus Connection Options"), hooks);
    }

    std::string ErrorOf(void (TModbusConnectionEditForm::*validate)()) {
        try {
            (Form.*validate)();
        } catch (const ECorvaneError& e) {
            return e.what();
        }
        return "<no error>";
    }

    TModbusConnection Connection;
    TModbusConnectionEditForm Form;
    Ui::TModbusConnectionEditForm& Ui = Form.Form();
    QStringList Errors;
    int Opens = 0;
    int Closes = 0;
};

} // namespace

TEST_F(ConnectionOptions, TransactionFieldsAreCheckedWithTheirBounds) {
    Ui.MaxRetriesEdit->setText("");
    EXPECT_EQ(ErrorOf(&TModbusConnectionEditForm::ValidateTransactionPage),
              "'' is not a valid integer value");
    Ui.MaxRetriesEdit->setText("0");
    EXPECT_EQ(ErrorOf(&TModbusConnectionEditForm::ValidateTransactionPage),
              "Value must be between 1 and 4294967295");
    Ui.MaxRetriesEdit->setText("4294967295");
    Ui.SendTimeoutEdit->setText("-1");
    EXPECT_EQ(ErrorOf(&TModbusConnectionEditForm::ValidateTransactionPage),
              "Value must be between 0 and 4294967295");
    Ui.SendTimeoutEdit->setText("4294967296");
    EXPECT_EQ(ErrorOf(&TModbusConnectionEditForm::ValidateTransactionPage),
              "Value must be between 0 and 4294967295");
    Ui.SendTimeoutEdit->setText(" 250 ");
    EXPECT_EQ(ErrorOf(&TModbusConnectionEditForm::ValidateTransactionPage), "<no error>");
}

TEST_F(ConnectionOptions, OkWithABadFieldKeepsTheDialogOpenAndShowsTheError) {
    Ui.SilentIntervalEdit->setText("4x");
    Ui.OKButton->click();
    EXPECT_NE(Form.result(), QDialog::Accepted);
    EXPECT_EQ(Errors, QStringList({"'4x' is not a valid integer value"}));
}

TEST_F(ConnectionOptions, LeavingAPageWithABadFieldKeepsThePageAndFocusesTheField) {
    Form.show();
    Ui.SilentIntervalEdit->setText("");
    Ui.PageControl->setCurrentIndex(1);
    EXPECT_EQ(Ui.PageControl->currentIndex(), 0);
    EXPECT_EQ(Errors.size(), 1);
    EXPECT_EQ(Form.focusWidget(), Ui.SilentIntervalEdit);
    Ui.SilentIntervalEdit->setText("4");
    Ui.PageControl->setCurrentIndex(1);
    EXPECT_EQ(Ui.PageControl->currentIndex(), 1);
    // The defaults buttons work on the serial page only.
    EXPECT_FALSE(Ui.RTUDefaultsButton->isEnabled());
    EXPECT_FALSE(Ui.ASCIIDefaultsButton->isEnabled());
}

TEST_F(ConnectionOptions, ServerModeSkipsTheClientFieldsButChecksTheReceiveTimeout) {
    Connection.SetMaxRetries(5);
    Connection.SetRefetchDelay(7);
    Connection.SetTurnaroundDelay(9);
    EXPECT_TRUE(EditAndConfirm([](Ui::TModbusConnectionEditForm& ui) {
        ui.ConnectionModeRadioGroup->SetItemIndex(cmServer);
        EXPECT_FALSE(ui.MaxRetriesEdit->isEnabled());
        EXPECT_FALSE(ui.RefetchDelayLabel->isEnabled());
        EXPECT_TRUE(ui.SendTimeoutEdit->isEnabled());
        ui.MaxRetriesEdit->setText("none");
        ui.RefetchDelayEdit->setText("");
        ui.TurnaroundDelayEdit->setText("-3");
        ui.ReceiveTimeoutEdit->setText("1234");
    }));
    EXPECT_TRUE(Errors.isEmpty());
    EXPECT_EQ(Connection.ConnectionMode(), cmServer);
    EXPECT_EQ(Connection.MaxRetries(), 5u);
    EXPECT_EQ(Connection.RefetchDelay(), 7u);
    EXPECT_EQ(Connection.TurnaroundDelay(), 9u);
    EXPECT_EQ(Connection.ReceiveTimeout(), 1234u);

    TModbusConnectionEditForm form;
    form.ShowError = [this](const QString& text) { Errors << text; };
    form.LoadFrom(Connection);
    form.Form().ReceiveTimeoutEdit->setText("soon");
    form.Form().OKButton->click();
    EXPECT_EQ(Errors, QStringList({"'soon' is not a valid integer value"}));
}

TEST_F(ConnectionOptions, DependentControlsFollowTheirChoices) {
    Ui.BaudRateComboBox->setCurrentIndex(brCustom);
    EXPECT_FALSE(Ui.CustomBaudRateEdit->isHidden());
    Ui.BaudRateComboBox->setCurrentIndex(br9600);
    EXPECT_TRUE(Ui.CustomBaudRateEdit->isHidden());

    Ui.FlowControlRadioGroup->SetItemIndex(fcRtsCts);
    EXPECT_FALSE(Ui.RTSEnabledCheckBox->isEnabled());
    EXPECT_TRUE(Ui.DTREnabledCheckBox->isEnabled());
    Ui.FlowControlRadioGroup->SetItemIndex(fcDtrDsr);
    EXPECT_TRUE(Ui.RTSEnabledCheckBox->isEnabled());
    EXPECT_FALSE(Ui.DTREnabledCheckBox->isEnabled());

    Form.ASCIIDefaultsButtonClick();
    EXPECT_EQ(Ui.Label3->text(), "Silent &Interval [milliseconds]:");
    EXPECT_EQ(Ui.SilentIntervalEdit->text(), "1000");
    EXPECT_EQ(Ui.DataBitsRadioGroup->ItemIndex(), db7);
    EXPECT_EQ(Ui.ParitySchemeRadioGroup->ItemIndex(), psEven);
    Form.RTUDefaultsButtonClick();
    EXPECT_EQ(Ui.Label3->text(), "Silent &Interval [character times]:");
    EXPECT_EQ(Ui.SilentIntervalEdit->text(), "4");
    EXPECT_EQ(Ui.DataBitsRadioGroup->ItemIndex(), db8);
}

TEST_F(ConnectionOptions, ADisabledRtsCheckBoxIsStillWritten) {
    EXPECT_TRUE(EditAndConfirm([](Ui::TModbusConnectionEditForm& ui) {
        ui.FlowControlRadioGroup->SetItemIndex(fcRtsCts);
        ui.RTSEnabledCheckBox->setChecked(false);
        ui.BaudRateComboBox->setCurrentIndex(brCustom);
        ui.CustomBaudRateEdit->setText("31250");
    }));
    EXPECT_EQ(Connection.FlowControl(), fcRtsCts);
    EXPECT_FALSE(Connection.RTSEnabled());
    EXPECT_EQ(Connection.BaudRate(), brCustom);
    EXPECT_EQ(Connection.CustomBaudRate(), 31250u);
}

TEST_F(ConnectionOptions, CancelChangesNothing) {
    TConnectionEditHooks hooks;
    hooks.Exec = [](TModbusConnectionEditForm& form) {
        form.Form().MaxRetriesEdit->setText("9");
        form.Form().CancelButton->click();
        return form.result();
    };
    EXPECT_FALSE(EditModbusConnection(Connection, "Options", hooks));
    EXPECT_EQ(Connection.MaxRetries(), 1u);
}

TEST_F(ConnectionOptions, ABaudChangeIsAppliedToAnOpenConnectionWithoutReopening) {
    PtyPair pty;
    Connection.SetPort(pty.SlavePath());
    CountEvents();
    Connection.SetActive(true);
    EXPECT_TRUE(EditAndConfirm([](Ui::TModbusConnectionEditForm& ui) {
        ui.BaudRateComboBox->setCurrentIndex(br38400);
        ui.ThreadPriorityRadioGroup->SetItemIndex(tpHigher);
    }));
    EXPECT_TRUE(Connection.Active());
    EXPECT_EQ(Connection.BaudRate(), br38400);
    EXPECT_EQ(Opens, 1);
    EXPECT_EQ(Closes, 0);
    Connection.SetActive(false);
}

TEST_F(ConnectionOptions, StandardFrameTimingIsLoadedAndAppliedLiveForRtuOnly) {
    EXPECT_FALSE(Ui.StandardTimingCheckBox->isChecked()) << "classic is the default";
    EXPECT_TRUE(Ui.StandardTimingCheckBox->isEnabled());
    Ui.TransmissionModeRadioGroup->SetItemIndex(tmASCII);
    EXPECT_FALSE(Ui.StandardTimingCheckBox->isEnabled()) << "ASCII frames end at CR LF";

    PtyPair pty;
    Connection.SetPort(pty.SlavePath());
    Connection.SetBaudRate(br115200);
    CountEvents();
    Connection.SetActive(true);
    EXPECT_TRUE(EditAndConfirm(
        [](Ui::TModbusConnectionEditForm& ui) { ui.StandardTimingCheckBox->setChecked(true); }));
    EXPECT_EQ(Connection.FrameTiming(), ftStandard);
    EXPECT_EQ(Connection.FrameGaps().SilentUs, 1750u) << "applied to the open line";
    EXPECT_EQ(Opens, 1);
    EXPECT_EQ(Closes, 0);
    Form.LoadFrom(Connection);
    EXPECT_TRUE(Ui.StandardTimingCheckBox->isChecked());
    EXPECT_TRUE(EditAndConfirm(
        [](Ui::TModbusConnectionEditForm& ui) { ui.StandardTimingCheckBox->setChecked(false); }));
    EXPECT_EQ(Connection.FrameTiming(), ftClassic);
    Connection.SetActive(false);
}

TEST_F(ConnectionOptions, APortChangeClosesAndReopensTheConnection) {
    PtyPair first;
    PtyPair second;
    Connection.SetPort(first.SlavePath());
    CountEvents();
    Connection.SetActive(true);
    EXPECT_TRUE(EditAndConfirm([&second](Ui::TModbusConnectionEditForm& ui) {
        ui.PortComboBox->setEditText(QString::fromStdString(second.SlavePath()));
    }));
    EXPECT_TRUE(Connection.Active());
    EXPECT_EQ(Connection.Port(), second.SlavePath());
    EXPECT_EQ(Opens, 2);
    EXPECT_EQ(Closes, 1);
    Connection.SetActive(false);
}

TEST_F(ConnectionOptions, AFailingReopenPropagatesItsError) {
    PtyPair pty;
    Connection.SetPort(pty.SlavePath());
    Connection.SetActive(true);
    EXPECT_THROW(EditAndConfirm([](Ui::TModbusConnectionEditForm& ui) {
                     ui.PortComboBox->setEditText("/nonexistent/tty");
                 }),
                 ECorvaneError);
    EXPECT_FALSE(Connection.Active());
    EXPECT_EQ(Connection.Port(), "/nonexistent/tty");
}

// --- From the window
// ------------------------------------------------------------------------------

using ConnectionOptionsCommand = ConsoleTest::WindowFixture;

TEST_F(ConnectionOptionsCommand, ConfirmingWritesTheSettingsFileAndRefreshesTheTabs) {
    auto& window = Start();
    Dialogs.DialogAnswers.push_back([](QDialog& dialog) {
        auto& form = static_cast<TModbusConnectionEditForm&>(dialog);
        form.Form().ConnectionModeRadioGroup->SetItemIndex(cmServer);
        form.Form().OKButton->click();
        return dialog.result();
    });
    window.ToolsConnectionOptionsItemClick();
    EXPECT_NE(ReadProgramFile("CorvaneDemo.dat").find("ConnectionMode=1"), std::string::npos);
    EXPECT_TRUE(
        Ui().PageControl1->isTabVisible(Ui().PageControl1->indexOf(Ui().ServerItemsTabSheet)));
    EXPECT_EQ(Panel(1), "Local server address: 1");
}

TEST_F(ConnectionOptionsCommand, AFailureIsLoggedInRedAndShown) {
    TestSupport::PtyPair pty;
    StoreSetting("SerialPort1", QString::fromStdString(pty.SlavePath()));
    auto& window = Start();
    window.Connect1Click();
    Dialogs.DialogAnswers.push_back([](QDialog& dialog) {
        auto& form = static_cast<TModbusConnectionEditForm&>(dialog);
        form.Form().PortComboBox->setEditText("/nonexistent/tty");
        form.Form().OKButton->click();
        return dialog.result();
    });
    window.ToolsConnectionOptionsItemClick();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    const QStringList lines = LogLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[lines.size() - 2], "Failed to open Modbus connection. " + Dialogs.Errors[0]);
    EXPECT_EQ(lines.last(), "");
    EXPECT_EQ(Panel(0), "Modbus connection: Closed");
    EXPECT_TRUE(Ui().Connect1->isEnabled());
}
