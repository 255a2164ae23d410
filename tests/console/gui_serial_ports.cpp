// Serial port discovery in the main window: the port pickers, the five-second port check with
// ports added and removed in a prepared listing, the quick-connect port and button, and the
// Device Manager command.
#include "WindowFixture.h"

#include "ExportTabPage.h"
#include "FirmwarePage.h"
#include "LogDataPage.h"
#include "deviceSettings.h"
#include "ui_ExportTabPage.h"
#include "ui_FirmwarePage.h"
#include "ui_LogDataPage.h"
#include "ui_deviceSettings.h"

#include "PlatformPortNames.h"

#include "FakeSysfs.h"
#include "PtyPair.h"

#include <QTimer>

using namespace ConsoleTest;
using namespace Corvane;
using namespace TestSupport;

namespace {

QStringList Items(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i) {
        items << box.itemText(i);
    }
    return items;
}

const QString Added =
    QStringLiteral("Additional serial port found.  Use COM Port drop down to select.");

} // namespace

class SerialPorts : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        SerialPortRoot = Sysfs.TtyRoot();
    }

    // A USB adapter's port.
    void Plug(const std::string& name) { Sysfs.AddTty(name, "ftdi_sio"); }

    // Started and shown (which runs FormShow); the check runs only when a test calls it.
    Sondrel::TCorvaneDemoMainForm& Show() {
        auto& window = Start();
        window.comportListTimer->stop();
        window.show();
        return window;
    }
    Sondrel::TSerialPortComboBox& LogDataPicker() {
        return *Window().LogDataPage().Form().ComComboBox2;
    }
    Sondrel::TSerialPortComboBox& QuickPicker() {
        return *Window().ExportTabPage().Form().comportComboBox;
    }
    void OpenMainConnectionOnPty() {
        StoreSetting("SerialPort1", QString::fromStdString(Pty.SlavePath()));
    }

    FakeSysfs Sysfs;
    PtyPair Pty;
};

TEST_F(SerialPorts, EveryPickerListsThePortsPresentInAlphabeticalOrder) {
    Plug("ttyUSB10");
    Plug("ttyUSB2");
    Sysfs.AddTty("ttyS0", "serial8250", 0); // a legacy port with no UART
    Sysfs.AddTty("ttyS1", "serial8250", 4);
    Sysfs.AddTty("tty1"); // a virtual console
    auto& window = Start();
    const QStringList expected = {"/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyUSB2"};
    EXPECT_EQ(Items(*window.FirmwarePage().Form().ComComboBox1), expected);
    EXPECT_EQ(Items(LogDataPicker()), expected);
    EXPECT_EQ(Items(QuickPicker()), expected);
    EXPECT_EQ(Items(*Windows->DevicePortSettings().Form().serialPortComboBox), expected);

    std::vector<std::string> listed = {"stale"};
    window.ListSerialPorts(listed);
    EXPECT_EQ(listed, (std::vector<std::string>{"/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyUSB2"}));
}

TEST_F(SerialPorts, AMissingOrEmptyListingGivesNoPorts) {
    auto& window = Show();
    std::vector<std::string> listed = {"stale"};
    window.ListSerialPorts(listed);
    EXPECT_TRUE(listed.empty()) << "empty listing folder";
    EXPECT_EQ(QuickPicker().count(), 0);
    EXPECT_EQ(QuickPicker().currentText(), "");

    window.SetSerialPortRoot(Folder.filePath("missing").toStdString());
    listed = {"stale"};
    window.ListSerialPorts(listed);
    EXPECT_TRUE(listed.empty()) << "missing listing folder";
    window.comportListTimerTimer();
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(SerialPorts, ThePickersFollowAListingRootSetLater) {
    Plug("ttyUSB0");
    auto& window = Start();
    FakeSysfs other;
    other.AddTty("ttyACM3", "cdc_acm");
    window.SetSerialPortRoot(other.TtyRoot());
    EXPECT_EQ(Items(QuickPicker()), QStringList({"/dev/ttyACM3"}));
    EXPECT_EQ(Items(*window.FirmwarePage().Form().ComComboBox1), QStringList({"/dev/ttyACM3"}));
}

TEST_F(SerialPorts, ShowingTheWindowSelectsTheStoredPortAndTakesTheCheckState) {
    Plug("ttyACM0");
    Plug("ttyUSB1");
    StoreSetting("SerialPort", "/dev/ttyUSB1");
    auto& window = Show();
    EXPECT_EQ(QuickPicker().currentText(), "/dev/ttyUSB1");
    EXPECT_EQ(LogDataPicker().currentText(), "/dev/ttyUSB1");
    EXPECT_EQ(window.LastPortCount(), 2);
    EXPECT_EQ(window.LastPortName(), "/dev/ttyUSB1");
    // Showing stores nothing.
    EXPECT_EQ(StoredSettings().value("SerialPort"), "/dev/ttyUSB1");
}

TEST_F(SerialPorts, TheDefaultComOneIsTheFirstLegacyPortAndAnUnknownPortShowsTheFirst) {
    Plug("ttyACM0");
    Sysfs.AddTty("ttyS0", "serial8250", 4);
    Show();
#ifndef _WIN32
    EXPECT_EQ(QuickPicker().currentText(), "/dev/ttyS0") << "COM1 names /dev/ttyS0 on Linux";
#endif
    EXPECT_EQ(StoredSettings().value("SerialPort"), "COM1") << "created with its default";

    Windows.reset();
    StoreSetting("SerialPort", "/dev/ttyUSB7");
    Show();
    EXPECT_EQ(QuickPicker().currentText(), "/dev/ttyACM0");
}

TEST_F(SerialPorts, TheCheckRunsEveryFiveSecondsAndSaysNothingWhenNothingChanged) {
    Plug("ttyUSB0");
    auto& window = Start();
    EXPECT_TRUE(window.comportListTimer->isActive());
    EXPECT_EQ(window.comportListTimer->interval(), 5000);
    window.comportListTimer->stop();
    window.show();
    window.comportListTimerTimer();
    window.comportListTimerTimer();
    EXPECT_TRUE(LogLines().isEmpty());
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

TEST_F(SerialPorts, AnAddedPortIsAnnouncedOnceInGreen) {
    Plug("ttyUSB0");
    auto& window = Show();
    Plug("ttyUSB1");
    window.comportListTimerTimer();
    EXPECT_EQ(LogLines(), QStringList({Added, ""}));
    const QTextCharFormat format =
        Ui().LogMemo->document()->firstBlock().begin().fragment().charFormat();
    EXPECT_EQ(format.fontWeight(), QFont::Normal);
    EXPECT_EQ(format.fontPointSize(), 7);
    EXPECT_EQ(format.foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(Items(LogDataPicker()), QStringList({"/dev/ttyUSB0", "/dev/ttyUSB1"}));

    window.comportListTimerTimer();
    EXPECT_EQ(LogLines(), QStringList({Added, ""})) << "announced once";
}

TEST_F(SerialPorts, RemovingTheSelectedPortLogsItsNameStoresTheNewPortAndCloses) {
    Plug("ttyACM0");
    Plug("ttyUSB0");
    StoreSetting("SerialPort", "/dev/ttyUSB0");
    OpenMainConnectionOnPty();
    auto& window = Show();
    window.Connect1Click();
    ASSERT_TRUE(window.ModbusConnection1.Active());
    const int before = static_cast<int>(LogLines().size());

    Sysfs.RemoveTty("ttyUSB0");
    window.comportListTimerTimer();
    EXPECT_EQ(LogLines().mid(before),
              QStringList({"Serial port [/dev/ttyUSB0] no longer exists.  Please verify before "
                           "continuing.",
                           "", "Closing Modbus connection...", "Modbus Connection has been closed.",
                           ""}));
    const QTextCharFormat format =
        Ui().LogMemo->document()->findBlockByNumber(before).begin().fragment().charFormat();
    EXPECT_EQ(format.fontWeight(), QFont::Normal);
    EXPECT_EQ(format.fontPointSize(), 7);
    EXPECT_EQ(format.foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(StoredSettings().value("SerialPort"), "/dev/ttyACM0");
    EXPECT_FALSE(window.ModbusConnection1.Active());
    EXPECT_EQ(Panel(0), "Modbus connection: Closed");
    EXPECT_TRUE(Ui().Connect1->isEnabled());
    EXPECT_EQ(LogDataPicker().currentText(), "/dev/ttyACM0");

    window.comportListTimerTimer();
    EXPECT_EQ(LogLines().size(), before + 5) << "reported once";
}

TEST_F(SerialPorts, RemovingAnotherPortLogsNothingAndKeepsTheConnection) {
    Plug("ttyACM0");
    Plug("ttyUSB0");
    StoreSetting("SerialPort", "/dev/ttyUSB0");
    OpenMainConnectionOnPty();
    auto& window = Show();
    window.Connect1Click();
    ASSERT_TRUE(window.ModbusConnection1.Active());
    const QStringList before = LogLines();

    Sysfs.RemoveTty("ttyACM0");
    window.comportListTimerTimer();
    EXPECT_EQ(LogLines(), before);
    EXPECT_TRUE(window.ModbusConnection1.Active());
    EXPECT_EQ(StoredSettings().value("SerialPort"), "/dev/ttyUSB0");
    EXPECT_EQ(window.LastPortCount(), 1);
    window.Disconnect1Click();
}

TEST_F(SerialPorts, RemovingTheLastPortEmptiesThePickerAndAReturnedPortIsAnnounced) {
    Plug("ttyUSB0");
    StoreSetting("SerialPort", "/dev/ttyUSB0");
    auto& window = Show();
    Sysfs.RemoveTty("ttyUSB0");
    window.comportListTimerTimer();
    EXPECT_EQ(LogLines().first(),
              "Serial port [/dev/ttyUSB0] no longer exists.  Please verify before continuing.");
    EXPECT_EQ(StoredSettings().value("SerialPort"), "");
    Plug("ttyUSB0");
    window.comportListTimerTimer();
    EXPECT_TRUE(LogLines().contains(Added));
    EXPECT_EQ(LogDataPicker().currentText(), "/dev/ttyUSB0");
}

TEST_F(SerialPorts, ChoosingAQuickConnectPortStoresItAndClosesTheConnection) {
    Plug("ttyACM0");
    Plug("ttyUSB0");
    StoreSetting("SerialPort", "/dev/ttyUSB0");
    OpenMainConnectionOnPty();
    auto& window = Show();
    window.Connect1Click();
    ASSERT_TRUE(window.ModbusConnection1.Active());

    QuickPicker().setCurrentIndex(QuickPicker().findText("/dev/ttyACM0"));
    EXPECT_EQ(StoredSettings().value("SerialPort"), "/dev/ttyACM0");
    EXPECT_FALSE(window.ModbusConnection1.Active());
    EXPECT_EQ(Panel(0), "Modbus connection: Closed");
}

TEST_F(SerialPorts, QuickConnectOpensWithItsFixedLineSettings) {
    auto& window = Show();
    const QString port = QString::fromStdString(Pty.SlavePath());
    QuickPicker().setEditText(port);
    EXPECT_EQ(StoredSettings().value("SerialPort"), port);

    auto& button = *window.ExportTabPage().Form().connectButton;
    EXPECT_EQ(button.text(), "Quick Connect");
    button.click();
    ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();
    auto& connection = window.ModbusConnection1;
    EXPECT_TRUE(connection.Active());
    EXPECT_EQ(connection.Port(), port.toStdString());
    EXPECT_EQ(connection.BaudRate(), br57600);
    EXPECT_EQ(connection.DataBits(), db8);
    EXPECT_EQ(connection.StopBits(), sb1);
    EXPECT_EQ(connection.Parity(), psNone);
    EXPECT_EQ(connection.FlowControl(), fcRtsToggle);
    EXPECT_EQ(window.ModbusClient1.ServerAddress(), 1);
    EXPECT_EQ(Panel(0), "Modbus connection: Opened [" + port + "]");
    // The device port settings are left as stored.
    EXPECT_EQ(StoredSettings().value("BaudRate1"), "2");

    // The caption is "Quick Connect": a second press closes and opens again.
    button.click();
    EXPECT_TRUE(connection.Active());
    EXPECT_EQ(LogLines().filter("Closing Modbus connection").size(), 1);

    button.setText("Disconnect");
    button.click();
    EXPECT_FALSE(connection.Active());
    EXPECT_EQ(Panel(0), "Modbus connection: Closed");
}

TEST_F(SerialPorts, AFailedQuickConnectLeavesTheDisplayShowingTheClosedConnection) {
    OpenMainConnectionOnPty();
    auto& window = Show();
    window.Connect1Click();
    ASSERT_TRUE(window.ModbusConnection1.Active());
    QuickPicker().setEditText(Folder.filePath("no-such-tty"));
    window.connectButtonClick();
    EXPECT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_FALSE(window.ModbusConnection1.Active());
    EXPECT_EQ(Panel(0), "Modbus connection: Closed");
    EXPECT_TRUE(Ui().Connect1->isEnabled());
}

TEST_F(SerialPorts, OpenDeviceManagerOpensTheSerialDeviceFolder) {
    auto& window = Start();
    QStringList opened;
    window.SetFolderOpener([&opened](const QString& path) { opened << path; });
    Ui().OpenDeviceManager1->trigger();
    ASSERT_EQ(opened.size(), 1);
#ifndef _WIN32
    EXPECT_TRUE(opened.first() == "/dev/serial/by-id" || opened.first() == "/dev");
    EXPECT_EQ(opened.first().toStdString(), Sondrel::SerialDeviceFolder("/dev"));
#endif
}
