// Hostile values typed (or pasted) by the operator through the real main window: the access
// panel's address, count and mask fields, every number of the connection options dialog, the
// device address of the port settings dialog and the item editor's fields. Each gives exactly
// one message, queues nothing, applies nothing and writes nothing; the window goes on working.
#include "HostileInput.h"
#include "WindowFixture.h"

#include "AccessPanelController.h"
#include "DiscreteAccessPage.h"
#include "ModbusAccessPage.h"
#include "ServerItemEditorForm.h"
#include "ServerItemMapController.h"
#include "deviceSettings.h"
#include "ui_DiscreteAccessPage.h"
#include "ui_ModbusAccessPage.h"
#include "ui_ServerItemEditorForm.h"
#include "ui_deviceSettings.h"

#include "ModbusConnectionEditForm.h"
#include "ui_ModbusConnectionEditForm.h"

#include "PtyPair.h"

#include <chrono>
#include <functional>

using namespace ConsoleTest;
using namespace Corvane;
using namespace std::chrono_literals;

namespace {

enum TTypedClass { tcNotANumber, tcOutOfRange };

struct TTyped {
    const char* Name;
    QString Text;
    TTypedClass Class;
};

// What an operator can type or paste into a line edit.
const std::vector<TTyped>& TypedTexts() {
    static const std::vector<TTyped> texts = {
        {"garbage", "fast", tcNotANumber},
        {"beyond 32 bits", "4294967296", tcOutOfRange},
        {"beyond 64 bits", "99999999999999999999", tcNotANumber},
        {"negative", "-5", tcOutOfRange},
        {"empty", "", tcNotANumber},
        {"pasted NUL", QString::fromUtf16(u"1\u00002", 3), tcNotANumber},
        {"other digits", QString::fromUtf16(u"\u0661\u0662"), tcNotANumber},
        {"very long", QString(32767, QLatin1Char('9')), tcNotANumber},
    };
    return texts;
}

QString Expected(const TTyped& typed, std::int64_t min, std::int64_t max) {
    if (typed.Class == tcNotANumber) {
        return "'" + typed.Text + "' is not a valid integer value";
    }
    return QStringLiteral("Value must be between %1 and %2").arg(min).arg(max);
}

// Every property of the connection that a dialog or the settings file can set, as text.
std::vector<std::string> Snapshot(Sondrel::TCorvaneDemoMainForm& window) {
    const Sondrel::TConsoleSettingsTargets targets{window.ModbusConnection1, window.ModbusClient1,
                                                   window.ModbusServer1, window.Log()};
    std::vector<std::string> values;
    for (const TSettingsKey& key : SettingsKeys()) {
        values.push_back(key.Key + std::string("=") + key.Get(targets));
    }
    values.push_back("active=" + std::to_string(window.ModbusConnection1.Active()));
    return values;
}

class HostileTyping : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        StoreSetting("SerialPort1", QString::fromStdString(Pty.SlavePath()));
    }

public:
    // The pages, for the field tables of the tests.
    Ui::TDiscreteAccessPage& Discrete() { return Ui().DiscreteAccessTabSheet->Form(); }
    Ui::TModbusAccessPage& Registers() { return Ui().RegisterAccessTabSheet->Form(); }

protected:
    TestSupport::PtyPair Pty;
};

// --- Access panel ------------------------------------------------------------------------------

struct TCheckedField {
    const char* Name;
    std::function<QLineEdit*(HostileTyping&)> Edit;
    std::int64_t Min;
    std::int64_t Max;
    // The operation that checks the field, and the other fields it checks.
    std::function<void(Sondrel::TAccessPanelController&)> Run;
    std::function<std::vector<QLineEdit*>(HostileTyping&)> Others;
};

TEST_F(HostileTyping, AccessPanelFieldsGiveOneMessageAndQueueNothing) {
    auto& window = Start();
    window.Connect1Click();
    ASSERT_TRUE(window.ModbusConnection1.Active());
    const qsizetype openLines = LogLines().size();

    using A = Sondrel::TAccessPanelController;
    const auto coils = [](HostileTyping& t) {
        return std::vector<QLineEdit*>{t.Discrete().ReadStartBitEdit,
                                       t.Discrete().ReadBitCountEdit};
    };
    const auto registers = [](HostileTyping& t) {
        return std::vector<QLineEdit*>{t.Registers().ReadStartRegEdit,
                                       t.Registers().ReadRegCountEdit};
    };
    const auto masks = [](HostileTyping& t) {
        return std::vector<QLineEdit*>{t.Registers().MaskWriteRegAddrEdit,
                                       t.Registers().AndMaskEdit, t.Registers().OrMaskEdit};
    };
    const std::vector<TCheckedField> fields = {
        {"coil start", [](HostileTyping& t) { return t.Discrete().ReadStartBitEdit; }, 0, 65535,
         [](A& a) { a.ReadCoilsButtonClick(); }, coils},
        {"coil count", [](HostileTyping& t) { return t.Discrete().ReadBitCountEdit; }, 1, 2008,
         [](A& a) { a.ReadDiscreteInputsButtonClick(); }, coils},
        {"register start", [](HostileTyping& t) { return t.Registers().ReadStartRegEdit; }, 0,
         65535, [](A& a) { a.ReadHoldingRegistersButtonClick(); }, registers},
        {"register count", [](HostileTyping& t) { return t.Registers().ReadRegCountEdit; }, 1, 127,
         [](A& a) { a.ReadWriteMultipleRegistersButtonClick(); }, registers},
        {"mask address", [](HostileTyping& t) { return t.Registers().MaskWriteRegAddrEdit; }, 0,
         65535, [](A& a) { a.MaskWriteSingleRegisterButtonClick(); }, masks},
        {"and mask", [](HostileTyping& t) { return t.Registers().AndMaskEdit; }, 0, 65535,
         [](A& a) { a.MaskWriteSingleRegisterButtonClick(); }, masks},
        {"or mask", [](HostileTyping& t) { return t.Registers().OrMaskEdit; }, 0, 65535,
         [](A& a) { a.MaskWriteSingleRegisterButtonClick(); }, masks},
    };
    for (const TCheckedField& field : fields) {
        for (const TTyped& typed : TypedTexts()) {
            SCOPED_TRACE(std::string(field.Name) + " = " + typed.Name);
            for (QLineEdit* other : field.Others(*this)) {
                other->setText("1");
            }
            field.Edit(*this)->setText(typed.Text);
            Dialogs.Errors.clear();
            field.Run(window.AccessPanel());
            EXPECT_EQ(Dialogs.Errors, QStringList(Expected(typed, field.Min, field.Max)));
            EXPECT_EQ(LogLines().size(), openLines) << "no INIT line";
            EXPECT_EQ(window.ModbusConnection1.PendingTransactionCount(), 0);
        }
    }
    EXPECT_TRUE(TestSupport::ReadFor(Pty.MasterFd(), 1, 100ms).empty()) << "nothing was sent";
    EXPECT_TRUE(window.ModbusConnection1.Active());
}

// --- Connection options ------------------------------------------------------------------------

struct TOptionField {
    const char* Name;
    QLineEdit* Ui::TModbusConnectionEditForm::*Edit;
    std::int64_t Min;
};

TEST_F(HostileTyping, ConnectionOptionFieldsKeepTheDialogOpenAndChangeNothing) {
    auto& window = Start();
    const std::vector<TOptionField> fields = {
        {"custom baud rate", &Ui::TModbusConnectionEditForm::CustomBaudRateEdit, 0},
        {"silent interval", &Ui::TModbusConnectionEditForm::SilentIntervalEdit, 0},
        {"refetch delay", &Ui::TModbusConnectionEditForm::RefetchDelayEdit, 0},
        {"send timeout", &Ui::TModbusConnectionEditForm::SendTimeoutEdit, 0},
        {"receive timeout", &Ui::TModbusConnectionEditForm::ReceiveTimeoutEdit, 0},
        {"maximum retries", &Ui::TModbusConnectionEditForm::MaxRetriesEdit, 1},
        {"turnaround delay", &Ui::TModbusConnectionEditForm::TurnaroundDelayEdit, 0},
    };
    const auto before = Snapshot(window);
    for (const TOptionField& field : fields) {
        for (const TTyped& typed : TypedTexts()) {
            SCOPED_TRACE(std::string(field.Name) + " = " + typed.Name);
            Dialogs.Errors.clear();
            bool stayedOpen = false;
            Dialogs.DialogAnswers.push_back([&](QDialog& dialog) {
                auto& form = static_cast<TModbusConnectionEditForm&>(dialog);
                auto& ui = form.Form();
                ui.BaudRateComboBox->setCurrentIndex(brCustom);
                ui.DataBitsRadioGroup->SetItemIndex(db7);
                (ui.*field.Edit)->setText(typed.Text);
                ui.OKButton->click();
                stayedOpen = form.result() != QDialog::Accepted;
                ui.CancelButton->click();
                return form.result();
            });
            window.ToolsConnectionOptionsItemClick();
            EXPECT_TRUE(stayedOpen);
            // The dialog shows a character that cannot be shown as '?'.
            const QString expected = typed.Text.contains(QChar(u'\0'))
                                         ? QStringLiteral("'1?2' is not a valid integer value")
                                         : Expected(typed, field.Min, 4294967295);
            EXPECT_EQ(Dialogs.Errors, QStringList(expected));
            EXPECT_EQ(Snapshot(window), before);
            EXPECT_FALSE(std::filesystem::exists(FolderPath() / "CorvaneDemo.dat"));
        }
    }
}

TEST_F(HostileTyping, ACustomRateOfZeroForAnOpenConnectionChangesNoSetting) {
    auto& window = Start();
    window.Connect1Click();
    ASSERT_TRUE(window.ModbusConnection1.Active());
    const auto before = Snapshot(window);
    Dialogs.DialogAnswers.push_back([](QDialog& dialog) {
        auto& ui = static_cast<TModbusConnectionEditForm&>(dialog).Form();
        ui.BaudRateComboBox->setCurrentIndex(brCustom);
        ui.CustomBaudRateEdit->setText("0");
        ui.DataBitsRadioGroup->SetItemIndex(db7);
        ui.MaxRetriesEdit->setText("7");
        ui.OKButton->click();
        return dialog.result();
    });
    window.ToolsConnectionOptionsItemClick();
    EXPECT_EQ(Dialogs.Errors, QStringList("Custom baud rate must be greater than 0"));
    EXPECT_EQ(Snapshot(window), before) << "no setting of the dialog was applied";
    EXPECT_FALSE(std::filesystem::exists(FolderPath() / "CorvaneDemo.dat"));
    // The line still works at its old rate: the connection closes and opens again.
    window.Disconnect1Click();
    window.Connect1Click();
    EXPECT_TRUE(window.ModbusConnection1.Active());
    EXPECT_EQ(Dialogs.Errors.size(), 1);
}

// --- Device port settings ----------------------------------------------------------------------

TEST_F(HostileTyping, APastedDeviceAddressThatIsNoIntegerIsRefusedNowAndAtTheNextStart) {
    for (const QString& address :
         {QStringLiteral("4294967297"), QStringLiteral("99999999999999999999"),
          QStringLiteral("12ab"), QString(32767, QLatin1Char('9'))}) {
        SCOPED_TRACE(address.left(20).toStdString());
        Windows.reset();
        Dialogs.Errors.clear();
        auto& window = Start();
        const auto before = Snapshot(window);
        Dialogs.DialogAnswers.push_back([this, address](QDialog& dialog) {
            auto& ui = Windows->DevicePortSettings().Form();
            ui.addressEdit->setText(address); // a paste passes the key filter
            ui.baudrateComboBox->setCurrentIndex(7);
            ui.Button2->click();
            return dialog.result();
        });
        window.ModbusDevicePortSettings1Click();
        EXPECT_EQ(Dialogs.Errors, QStringList("'" + address + "' is not a valid integer value"));
        EXPECT_EQ(Snapshot(window), before) << "nothing is applied";
        // The dialog stores what OK stores; the next start reports the same value.
        EXPECT_EQ(StoredSettings().value("DeviceAddress1"), address);
        Windows.reset();
        Dialogs.Errors.clear();
        Start();
        ASSERT_EQ(Dialogs.Errors.size(), 1);
        EXPECT_TRUE(Dialogs.Errors[0].endsWith("' is not a valid integer value (setting "
                                               "\"DeviceAddress1\")"));
        StoreSetting("DeviceAddress1", "1");
    }
}

// --- Item editor -------------------------------------------------------------------------------

TEST_F(HostileTyping, ItemEditorFieldsRefuseOkAndCancelAddsNothing) {
    auto& window = Start();
    struct TField {
        const char* Name;
        QLineEdit* Ui::TServerItemEditorForm::*Edit;
    };
    const std::vector<TField> fields = {
        {"address", &Ui::TServerItemEditorForm::AddressEdit},
        {"min", &Ui::TServerItemEditorForm::MinValueEdit},
        {"max", &Ui::TServerItemEditorForm::MaxValueEdit},
        {"value", &Ui::TServerItemEditorForm::ValueEdit},
    };
    for (const TField& field : fields) {
        for (const TTyped& typed : TypedTexts()) {
            SCOPED_TRACE(std::string(field.Name) + " = " + typed.Name);
            Dialogs.Errors.clear();
            Dialogs.DialogAnswers.push_back([&](QDialog& dialog) {
                auto& editor = dynamic_cast<Sondrel::TServerItemEditorForm&>(dialog);
                auto& ui = editor.Form();
                ui.AddressEdit->setText("10");
                ui.MinValueEdit->setText("0");
                ui.MaxValueEdit->setText("65535");
                ui.ValueEdit->setText("5");
                (ui.*field.Edit)->setText(typed.Text);
                editor.OKButtonClick();
                EXPECT_NE(dialog.result(), QDialog::Accepted);
                ui.CancelButton->click();
                return dialog.result();
            });
            window.ItemMap().AddServerItemClick(Sondrel::ikHoldingRegister);
            ASSERT_EQ(Dialogs.Errors.size(), 1);
            EXPECT_EQ(Dialogs.Errors[0], Expected(typed, 0, 65535));
            EXPECT_EQ(window.ServerItems().RowCount(), 0u);
            EXPECT_FALSE(std::filesystem::exists(window.ServerItemsPath()));
        }
    }
}

} // namespace
