// The device port settings dialog: loading from the settings, the address key filter,
// "Default", OK and Cancel, and what the window applies afterwards.
#include "WindowFixture.h"

#include "DigitKeyFilter.h"
#include "deviceSettings.h"
#include "ui_deviceSettings.h"

#include <QTest>

using namespace ConsoleTest;
using namespace Corvane;

namespace {

class DevicePortSettings : public WindowFixture {
protected:
    Sondrel::TdevicePortSettings& Dialog() { return Windows->DevicePortSettings(); }
    Ui::TdevicePortSettings& Form() { return Dialog().Form(); }

    // Opens the dialog from the window and answers it with answer(form), then the given button.
    template <typename F>
    void OpenAndPress(F&& answer, const char* button) {
        Dialogs.DialogAnswers.push_back([this, answer, button](QDialog& dialog) {
            answer(Form());
            dialog.findChild<QPushButton*>(QString::fromLatin1(button))->click();
            return dialog.result();
        });
        Window().ModbusDevicePortSettings1Click();
    }
};

} // namespace

TEST_F(DevicePortSettings, ShowingLoadsEveryControlFromTheSettings) {
    StoreSetting("SerialPort1", "/dev/ttyUSB7");
    StoreSetting("BaudRate1", "5");
    StoreSetting("DataBits1", "0");
    StoreSetting("Parity1", "2");
    StoreSetting("StopBits1", "1");
    StoreSetting("DeviceAddress1", "42");
    Start();
    OpenAndPress(
        [](Ui::TdevicePortSettings& ui) {
            EXPECT_EQ(ui.serialPortComboBox->currentText(), "/dev/ttyUSB7");
            EXPECT_EQ(ui.baudrateComboBox->currentText(), "38400");
            EXPECT_EQ(ui.databitsRadioGroup->ItemIndex(), 0);
            EXPECT_EQ(ui.parityGroupBox->ItemIndex(), 2);
            EXPECT_EQ(ui.stopbitsRadioGroup->ItemIndex(), 1);
            EXPECT_EQ(ui.stopbitsRadioGroup->Items(), QStringList({"1 bit", "2 bits"}));
            EXPECT_EQ(ui.flowControlRadioGroup->ItemIndex(), 0);
            EXPECT_EQ(ui.addressEdit->text(), "42");
        },
        "Button1");
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

TEST_F(DevicePortSettings, DefaultThenOkStoresTheListedValuesAndKeepsPortAndAddress) {
    StoreSetting("SerialPort1", "/dev/ttyUSB3");
    StoreSetting("BaudRate1", "7");
    StoreSetting("DataBits1", "0");
    StoreSetting("Parity1", "1");
    StoreSetting("StopBits1", "1");
    StoreSetting("FlowControl1", "2");
    StoreSetting("DeviceAddress1", "17");
    Start();
    OpenAndPress([this](Ui::TdevicePortSettings&) { Dialog().defaultButtonClick(); }, "Button2");
    const auto stored = StoredSettings();
    EXPECT_EQ(stored.value("BaudRate1"), "2");
    EXPECT_EQ(stored.value("DataBits1"), "1");
    EXPECT_EQ(stored.value("Parity1"), "0");
    EXPECT_EQ(stored.value("StopBits1"), "0");
    EXPECT_EQ(stored.value("FlowControl1"), "1");
    EXPECT_EQ(stored.value("SerialPort1"), "/dev/ttyUSB3");
    EXPECT_EQ(stored.value("DeviceAddress1"), "17");
    // The current run keeps the flow control shown in the group: none, after "Default".
    EXPECT_EQ(Window().ModbusConnection1.FlowControl(), fcNone);
    EXPECT_EQ(Window().ModbusConnection1.BaudRate(), br9600);
}

TEST_F(DevicePortSettings, OkAppliesTheChoicesToTheConnectionAndTheClient) {
    Start();
    OpenAndPress(
        [](Ui::TdevicePortSettings& ui) {
            ui.baudrateComboBox->setCurrentIndex(7);
            ui.parityGroupBox->SetItemIndex(2);
            ui.stopbitsRadioGroup->SetItemIndex(1);
            ui.databitsRadioGroup->SetItemIndex(0);
            ui.addressEdit->setText("247");
            ui.serialPortComboBox->setEditText("/dev/ttyACM0");
        },
        "Button2");
    auto& c = Window().ModbusConnection1;
    EXPECT_EQ(c.BaudRate(), br115200);
    EXPECT_EQ(c.Parity(), psEven);
    EXPECT_EQ(c.StopBits(), sb2);
    EXPECT_EQ(c.DataBits(), db7);
    EXPECT_EQ(c.Port(), "/dev/ttyACM0");
    EXPECT_EQ(Window().ModbusClient1.ServerAddress(), 247);
    EXPECT_EQ(Panel(1), "Remote device address: 247");
    EXPECT_EQ(StoredSettings().value("BaudRate1"), "7");
}

TEST_F(DevicePortSettings, CancelStoresAndAppliesNothing) {
    Start();
    const auto before = StoredSettings();
    OpenAndPress(
        [](Ui::TdevicePortSettings& ui) {
            ui.baudrateComboBox->setCurrentIndex(7);
            ui.addressEdit->setText("99");
        },
        "Button1");
    EXPECT_EQ(StoredSettings(), before);
    EXPECT_EQ(Window().ModbusConnection1.BaudRate(), br9600);
    EXPECT_EQ(Window().ModbusClient1.ServerAddress(), 1);
}

TEST_F(DevicePortSettings, ALetterInTheAddressIsRefusedWithItsMessage) {
    Start();
    Dialog().FormShow();
    QLineEdit* address = Form().addressEdit;
    address->setText("12");
    address->setCursorPosition(2);
    QTest::keyClick(address, Qt::Key_A);
    EXPECT_EQ(address->text(), "12");
    EXPECT_EQ(Dialogs.Messages, QStringList({"Invalid key.  Please try again."}));
    QTest::keyClick(address, Qt::Key_5);
    EXPECT_EQ(address->text(), "125");
    QTest::keyClick(address, Qt::Key_Backspace);
    EXPECT_EQ(address->text(), "12");
    EXPECT_EQ(Dialogs.Messages.size(), 1);
}

TEST_F(DevicePortSettings, AnEmptyAddressIsStoredThenRefusedWhenApplied) {
    Start();
    OpenAndPress(
        [](Ui::TdevicePortSettings& ui) {
            ui.addressEdit->setText("");
            ui.baudrateComboBox->setCurrentIndex(7);
        },
        "Button2");
    EXPECT_EQ(StoredSettings().value("DeviceAddress1"), "");
    EXPECT_EQ(Dialogs.Errors, QStringList({"'' is not a valid integer value"}));
    // The remaining settings are not applied in this run.
    EXPECT_EQ(Window().ModbusConnection1.BaudRate(), br9600);
}

TEST_F(DevicePortSettings, AStoredValueThatIsNotANumberIsReportedWhenShowing) {
    Start();
    StoreSetting("Parity1", "even");
    Window().ModbusDevicePortSettings1Click();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].contains("'even' is not a valid integer value"));
}

TEST(DigitKeys, OnlyDigitsBackspaceAndKeysThatTypeNothingPass) {
    using Sondrel::TDigitKeyFilter;
    EXPECT_TRUE(TDigitKeyFilter::IsAllowedKey(Qt::Key_7, "7"));
    EXPECT_TRUE(TDigitKeyFilter::IsAllowedKey(Qt::Key_Backspace, "\b"));
    EXPECT_TRUE(TDigitKeyFilter::IsAllowedKey(Qt::Key_Left, ""));
    EXPECT_TRUE(TDigitKeyFilter::IsAllowedKey(Qt::Key_Return, "\r"));
    EXPECT_FALSE(TDigitKeyFilter::IsAllowedKey(Qt::Key_Minus, "-"));
    EXPECT_FALSE(TDigitKeyFilter::IsAllowedKey(Qt::Key_Space, " "));
    EXPECT_FALSE(TDigitKeyFilter::IsAllowedKey(Qt::Key_V, QString(QChar(22)))); // Ctrl+V
}
