// The main window: start-up with its settings, the connection commands and their log lines,
// the status panels, the queue watch, server mode, the log file commands and the log view's
// speed with a long log.
#include "WindowFixture.h"

#include "ApplicationSettings.h"
#include "DownloadController.h"
#include "FirmwarePage.h"
#include "LogDataPage.h"
#include "ui_FirmwarePage.h"
#include "ui_LogDataPage.h"

#include "PtyPair.h"
#include "TestStopwatch.h"

#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <cstdio>

using namespace ConsoleTest;
using namespace Corvane;
using namespace TestSupport;
using namespace std::chrono_literals;

namespace {

QStringList Lines(std::initializer_list<const char*> lines) {
    QStringList list;
    for (const char* line : lines) {
        list << QString::fromUtf8(line);
    }
    return list;
}

} // namespace

using StartUp = WindowFixture;

TEST_F(StartUp, FirstStartCreatesEveryValueWithItsDefaultAndShowsIt) {
    auto& window = Start();
    const auto stored = StoredSettings();
    const std::map<QString, QString> defaults = {
        {"upgradePort", "1"},      {"Verify", "1"},         {"HexFile", "1"},
        {"BaudRate1", "2"},        {"DataBits1", "1"},      {"StopBits1", "0"},
        {"Parity1", "0"},          {"FlowControl1", "0"},   {"SerialPort1", "COM1"},
        {"DeviceAddress1", "1"},   {"exportDropDown", "1"}, {"commDropDown", "3"},
        {"firmwareBaudRate", "1"}, {"AllData", "1"},        {"interval", "1"},
        {"ShowModbusTab", "F"}};
    for (const auto& [name, value] : defaults) {
        EXPECT_EQ(stored.value(name).toStdString(), value.toStdString()) << name.toStdString();
    }
    // "COM1" is shown as the device it names on this platform.
#ifdef _WIN32
    EXPECT_EQ(window.FirmwarePage().Form().ComComboBox1->currentText(), "COM1");
#else
    EXPECT_EQ(window.FirmwarePage().Form().ComComboBox1->currentText(), "/dev/ttyS0");
#endif
    EXPECT_EQ(window.LogDataPage().Form().exportComboBox->currentText(), "XLSX");
    EXPECT_TRUE(Ui().slowMenuItem->isChecked());
    EXPECT_FALSE(Ui().fastMenuItem->isChecked());
    EXPECT_TRUE(Ui().N19200->isChecked());
    EXPECT_FALSE(
        Ui().PageControl1->isTabVisible(Ui().PageControl1->indexOf(Ui().RegisterAccessTabSheet)));
    EXPECT_EQ(window.ModbusConnection1.BaudRate(), br9600);
    EXPECT_EQ(window.ModbusConnection1.Port(), "COM1");
    EXPECT_EQ(window.ModbusClient1.ServerAddress(), 1);
    // The window starts closed, with the log empty and Log Data in front.
    EXPECT_FALSE(window.ModbusConnection1.Active());
    EXPECT_TRUE(LogLines().isEmpty());
    EXPECT_EQ(Ui().PageControl1->currentWidget(), Ui().LogDataTabSheet);
    EXPECT_FALSE(
        Ui().DataPageControl->isTabVisible(Ui().DataPageControl->indexOf(Ui().TerminalTabSheet)));
    EXPECT_EQ(Panel(0), "Modbus connection: Closed");
    EXPECT_EQ(Panel(1), "Remote device address: 1");
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

TEST_F(StartUp, UnknownDelayAndFirmwareBaudCodesFallBackToSlowAnd19200) {
    StoreSetting("commDropDown", "7");
    StoreSetting("firmwareBaudRate", "0");
    Start();
    EXPECT_TRUE(Ui().slowMenuItem->isChecked());
    EXPECT_FALSE(Ui().defaultMenuItem->isChecked());
    EXPECT_TRUE(Ui().N19200->isChecked());
    EXPECT_FALSE(Ui().N38400->isChecked());
}

TEST_F(StartUp, AStoredValueThatIsNotANumberIsShownAndSkipsTheRestOfTheSequence) {
    StoreSetting("exportDropDown", "two");
    StoreSetting("ShowModbusTab", "T");
    Start();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].contains("'two' is not a valid integer value"));
    // The port settings before it were applied; nothing after it was read or applied.
    EXPECT_EQ(Window().ModbusConnection1.BaudRate(), br9600);
    const auto stored = StoredSettings();
    EXPECT_FALSE(stored.contains("commDropDown"));
    EXPECT_FALSE(stored.contains("interval"));
    EXPECT_FALSE(Ui().slowMenuItem->isChecked());
    EXPECT_FALSE(
        Ui().PageControl1->isTabVisible(Ui().PageControl1->indexOf(Ui().RegisterAccessTabSheet)));
}

TEST_F(StartUp, AHexFileThatNoLongerExistsLeavesTheBoxEmptyAndTheValueAlone) {
    StoreSetting("HexFile", Folder.filePath("gone.hex"));
    auto& window = Start();
    EXPECT_TRUE(window.FirmwarePage().Form().hexEdit->text().isEmpty());
    EXPECT_EQ(StoredSettings().value("HexFile"), Folder.filePath("gone.hex"));
}

TEST_F(StartUp, DevicePortSettingsAreAppliedOverTheSettingsFile) {
    WriteProgramFile("CorvaneDemo.dat",
                     "[ModbusConnection1]\r\nBaudRate=12\r\nPort=COM9\r\n"
                     "ReceiveTimeout=4321\r\n[ModbusClient1]\r\nServerAddress=9\r\n");
    StoreSetting("BaudRate1", "9"); // outside the list: 9600
    StoreSetting("DeviceAddress1", "300");
    auto& window = Start();
    EXPECT_EQ(window.ModbusConnection1.BaudRate(), br9600);
    EXPECT_EQ(window.ModbusConnection1.Port(), "COM1");
    EXPECT_EQ(window.ModbusClient1.ServerAddress(), 300 & 0xFF);
    // Keys that the device settings do not cover stay as the file says.
    EXPECT_EQ(window.ModbusConnection1.ReceiveTimeout(), 4321u);
}

TEST_F(StartUp, ARejectedSettingsFileValueIsShownAndStopsReadingThere) {
    WriteProgramFile("CorvaneDemo.dat",
                     "[ModbusConnection1]\r\nMaxRetries=0\r\nReceiveTimeout=4321\r\n");
    auto& window = Start();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(Dialogs.Errors[0], "SSS Value must be between 1 and 4294967295");
    EXPECT_NE(window.ModbusConnection1.ReceiveTimeout(), 4321u);
    // The window is built all the same.
    EXPECT_EQ(Panel(0), "Modbus connection: Closed");
}

TEST_F(StartUp, ServerModeShowsTheItemMapTabAndTheLocalAddress) {
    WriteProgramFile("CorvaneDemo.dat", "[ModbusConnection1]\r\nConnectionMode=1\r\n");
    auto& window = Start();
    EXPECT_TRUE(
        Ui().PageControl1->isTabVisible(Ui().PageControl1->indexOf(Ui().ServerItemsTabSheet)));
    EXPECT_EQ(Panel(1), "Local server address: 1");
    window.Timer1Timer();
    EXPECT_EQ(Panel(2), "");
}

TEST_F(StartUp, TheViewMenuToggleShowsTheModbusAccessTabAndStoresIt) {
    auto& window = Start();
    const int tab = Ui().PageControl1->indexOf(Ui().RegisterAccessTabSheet);
    Ui().ShowModbusAccessTab->trigger();
    EXPECT_TRUE(Ui().PageControl1->isTabVisible(tab));
    EXPECT_TRUE(Ui().ShowModbusAccessTab->isChecked());
    EXPECT_EQ(Ui().ShowModbusAccessTab->text(), "Hide Modbus Access Tab");
    EXPECT_EQ(StoredSettings().value("ShowModbusTab"), "T");
    window.ShowModbusAccessTabClick();
    EXPECT_FALSE(Ui().PageControl1->isTabVisible(tab));
    EXPECT_FALSE(Ui().ShowModbusAccessTab->isChecked());
    EXPECT_EQ(Ui().ShowModbusAccessTab->text(), "Show Modbus Access Tab");
    EXPECT_EQ(StoredSettings().value("ShowModbusTab"), "F");
}

TEST_F(StartUp, ChangedChoicesAreStoredAndShownAtTheNextStart) {
    auto& window = Start();
    window.LogDataPage().Form().exportComboBox->setCurrentIndex(2);
    Ui().fastMenuItem->trigger();
    Ui().N38400->trigger();
    window.LogDataPage().Form().intervalEdit->setText("7");
    EXPECT_FALSE(Ui().slowMenuItem->isChecked());
    Windows.reset();
    Start();
    EXPECT_EQ(Window().LogDataPage().Form().exportComboBox->currentText(), "HTML");
    EXPECT_TRUE(Ui().fastMenuItem->isChecked());
    EXPECT_TRUE(Ui().N38400->isChecked());
    EXPECT_EQ(Window().LogDataPage().Form().intervalEdit->text(), "7");
}

TEST_F(StartUp, LineSpeedIsTheDelayMenusFourthEntryStoredAsFour) {
    Start();
    const QList<QAction*> delays = Ui().CommunicationDelay1->actions();
    ASSERT_EQ(delays.size(), 4);
    EXPECT_EQ(delays[3], Ui().lineSpeedMenuItem);
    EXPECT_EQ(Ui().lineSpeedMenuItem->text(), "Line Speed");
    Ui().lineSpeedMenuItem->trigger();
    EXPECT_EQ(StoredSettings().value("commDropDown"), "4");
    EXPECT_FALSE(Ui().slowMenuItem->isChecked()) << "one delay at a time";
    EXPECT_EQ(Window().Download().DelayMenuChoice(), Sondrel::dmLine);
    Windows.reset();
    Start();
    EXPECT_TRUE(Ui().lineSpeedMenuItem->isChecked());
}

// --- Connection lifecycle -----------------------------------------------------------------------

class Connection : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        StoreSetting("SerialPort1", QString::fromStdString(Pty.SlavePath()));
    }
    PtyPair Pty;
};

TEST_F(Connection, ConnectAndDisconnectWriteTheirLinesAndSwitchTheControls) {
    auto& window = Start();
    const QString port = QString::fromStdString(Pty.SlavePath());
    window.show();
    Ui().Connect1->trigger();
    ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();
    EXPECT_TRUE(window.ModbusConnection1.Active());
    EXPECT_EQ(LogLines(), QStringList({"Opening Modbus connection on " + port + "...",
                                       "Modbus connection has been successfully opened.", ""}));
    EXPECT_EQ(Panel(0), "Modbus connection: Opened [" + port + "]");
    EXPECT_FALSE(Ui().Connect1->isEnabled());
    EXPECT_FALSE(window.ConnectToolButton->isEnabled());
    EXPECT_TRUE(Ui().Disconnect1->isEnabled());
    EXPECT_TRUE(window.DisconnectToolButton->isEnabled());
    EXPECT_TRUE(window.startToolButton->isEnabled());
    EXPECT_FALSE(Ui().ModbusDevicePortSettings1->isEnabled());
    EXPECT_FALSE(window.PortSettingsToolButton->isEnabled());
    EXPECT_TRUE(window.LogDataPage().Form().startButton->isEnabled());

    window.DisconnectToolButton->click();
    EXPECT_FALSE(window.ModbusConnection1.Active());
    EXPECT_EQ(LogLines().mid(3),
              Lines({"Closing Modbus connection...", "Modbus Connection has been closed.", ""}));
    EXPECT_EQ(Panel(0), "Modbus connection: Closed");
    EXPECT_TRUE(Ui().Connect1->isEnabled());
    EXPECT_FALSE(Ui().Disconnect1->isEnabled());
    EXPECT_FALSE(window.startToolButton->isEnabled());
    EXPECT_TRUE(Ui().ModbusDevicePortSettings1->isEnabled());
    EXPECT_FALSE(window.LogDataPage().Form().startButton->isEnabled());
}

TEST_F(Connection, AFailedOpenWritesOnlyTheOpeningLineAndShowsTheError) {
    StoreSetting("SerialPort1", Folder.filePath("no-such-tty"));
    auto& window = Start();
    window.Connect1Click();
    EXPECT_FALSE(window.ModbusConnection1.Active());
    EXPECT_EQ(LogLines(), QStringList({"Opening Modbus connection on " +
                                       Folder.filePath("no-such-tty") + "..."}));
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(Panel(0), "Modbus connection: Closed");
    EXPECT_TRUE(Ui().Connect1->isEnabled());
    // The window goes on working: the next attempt is made and reported the same way.
    window.Connect1Click();
    EXPECT_EQ(Dialogs.Errors.size(), 2);
}

TEST_F(Connection, ClosingTheWindowWithTheConnectionOpenWritesNoClosingLines) {
    WriteProgramFile("CorvaneDemo.dat", "[General]\r\nLogTransactionsToFile=1\r\n");
    auto& window = Start();
    window.Connect1Click();
    ASSERT_TRUE(window.ModbusConnection1.Active());
    Windows.reset();
    const std::string log = ReadProgramFile("TransactionLog.txt");
    EXPECT_NE(log.find("successfully opened"), std::string::npos);
    EXPECT_EQ(log.find("Closing Modbus connection"), std::string::npos);
}

TEST_F(Connection, TheQueuePanelCountsPendingTransactions) {
    // A peer that never answers, and a time-out long enough to keep the queue standing.
    WriteProgramFile("CorvaneDemo.dat",
                     "[ModbusConnection1]\r\nReceiveTimeout=2000\r\nMaxRetries=1\r\n");
    auto& window = Start();
    window.Connect1Click();
    ASSERT_TRUE(window.ModbusConnection1.Active());
    window.Timer1Timer();
    EXPECT_EQ(Panel(2), "Transaction queue is empty.");

    for (int i = 0; i < 8; ++i) {
        window.ModbusClient1.ReadHoldingRegisters(0, 1, 0);
    }
    // The worker holds the first request while it waits for the reply; seven stay queued.
    ASSERT_FALSE(Pty.PeerRead(8, 2s).empty());
    window.Timer1Timer();
    EXPECT_EQ(Panel(2), "There are 7 pending transactions.");
    EXPECT_TRUE(window.transactionTimer->isActive());

    window.ToolsDiscardPendingTransactionsItemClick();
    EXPECT_EQ(LogLines().mid(3),
              Lines({"", "*** All pending transactions have been discarded.", ""}));
    window.ModbusClient1.ReadHoldingRegisters(0, 1, 0);
    window.Timer1Timer();
    EXPECT_EQ(Panel(2), "There is 1 pending transaction.");
    window.ModbusConnection1.DiscardPendingTransactions(nullptr);
    window.Timer1Timer();
    EXPECT_EQ(Panel(2), "Transaction queue is empty.");
    window.Disconnect1Click();
}

TEST_F(Connection, AStalledQueueWritesItsFailureLineOnce) {
    WriteProgramFile("CorvaneDemo.dat",
                     "[ModbusConnection1]\r\nReceiveTimeout=2000\r\nMaxRetries=1\r\n");
    auto& window = Start();
    window.Connect1Click();
    for (int i = 0; i < 3; ++i) {
        window.ModbusClient1.ReadHoldingRegisters(0, 1, 0);
    }
    ASSERT_FALSE(Pty.PeerRead(8, 2s).empty());
    const auto failures = [this] {
        return LogLines()
            .filter("** RETRIEVE LOG DATA FAILED ** Pending transactions could not "
                    "recover in time.")
            .size();
    };
    for (int tick = 0; tick <= 30; ++tick) {
        window.Timer1Timer();
        window.transactionTimerTimer();
    }
    EXPECT_EQ(failures(), 0);
    window.Timer1Timer();
    EXPECT_EQ(failures(), 1);
    window.transactionTimerTimer();
    window.Timer1Timer();
    EXPECT_EQ(failures(), 1);
    EXPECT_EQ(Panel(2), "There are 2 pending transactions.");
    window.Disconnect1Click();
}

// --- Transaction log ----------------------------------------------------------------------------

using TransactionLog = WindowFixture;

TEST_F(TransactionLog, LoggingToFileWritesBothNoticesAndEveryKeyOfTheSettingsFile) {
    auto& window = Start();
    window.AddLogLine("before");
    Ui().ToolsLogTransactionsToFileItem->trigger();
    EXPECT_TRUE(window.Log().LogTransactionsToFile());
    EXPECT_TRUE(Ui().ToolsLogTransactionsToFileItem->isChecked());
    const std::string settings = ReadProgramFile("CorvaneDemo.dat");
    for (const char* key : {"[General]",
                            "LogTransactionsToFile=1",
                            "[ModbusConnection1]",
                            "BaudRate=6",
                            "ConnectionMode=0",
                            "DataBits=1",
                            "DTREnabled=1",
                            "EchoQueryBeforeReply=0",
                            "FlowControl=0",
                            "MaxRetries=1",
                            "Parity=0",
                            "Port=COM1",
                            "ReceiveTimeout=1000",
                            "RefetchDelay=0",
                            "RTSEnabled=1",
                            "SendTimeout=1000",
                            "SilentInterval=4",
                            "StopBits=0",
                            "ThreadPriority=3",
                            "TransmissionMode=0",
                            "TurnaroundDelay=100",
                            "[ModbusClient1]",
                            "ServerAddress=1",
                            "[ModbusServer1]",
                            "Address=1"}) {
        EXPECT_NE(settings.find(key), std::string::npos) << key;
    }
    window.AddLogLine("to file");
    window.ToolsLogTransactionsToFileItemClick();
    EXPECT_FALSE(window.Log().LogTransactionsToFile());
    window.AddLogLine("screen only");

    const std::string file = ReadProgramFile("TransactionLog.txt");
    const auto both =
        file.find("*** Transactions are now being logged to both screen and file.\r\n");
    const auto toFile = file.find("] to file\r\n");
    const auto screen = file.find("*** Transactions are now being logged to screen only.\r\n");
    EXPECT_NE(both, std::string::npos);
    EXPECT_NE(screen, std::string::npos);
    EXPECT_LT(both, toFile);
    EXPECT_LT(toFile, screen);
    EXPECT_EQ(file.find("before"), std::string::npos);
    EXPECT_EQ(file.find("screen only\r\n"), std::string::npos);
    EXPECT_NE(ReadProgramFile("CorvaneDemo.dat").find("LogTransactionsToFile=0"),
              std::string::npos);
}

TEST_F(TransactionLog, ClearingTheLogEmptiesTheViewAndTruncatesTheFile) {
    WriteProgramFile("CorvaneDemo.dat", "[General]\r\nLogTransactionsToFile=1\r\n");
    auto& window = Start();
    EXPECT_TRUE(Ui().ToolsLogTransactionsToFileItem->isChecked());
    window.AddLogLine("a line");
    window.AddStyledLogLine("a red line", true, 8, 1);
    ASSERT_FALSE(ReadProgramFile("TransactionLog.txt").empty());
    Ui().ToolsClearTransactionLogItem->trigger();
    EXPECT_TRUE(LogLines().isEmpty());
    EXPECT_TRUE(ReadProgramFile("TransactionLog.txt").empty());
    EXPECT_TRUE(std::filesystem::exists(FolderPath() / "TransactionLog.txt"));
}

TEST_F(TransactionLog, ALogFileThatCannotBeOpenedIsReportedAndTheLineStaysOnScreen) {
    WriteProgramFile("CorvaneDemo.dat", "[General]\r\nLogTransactionsToFile=1\r\n");
    auto& window = Start();
    window.AddLogLine("written");
    std::filesystem::remove(FolderPath() / "TransactionLog.txt");
    std::filesystem::create_directory(FolderPath() / "TransactionLog.txt");
    window.ToolsDiscardPendingTransactionsItemClick();
    // The command stops at its first line, which is on screen already.
    EXPECT_EQ(LogLines(), QStringList({"written", ""}));
    EXPECT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(window.Log().TransactionLogUseCount(), 0);
}

TEST_F(TransactionLog, ASettingsFileThatCannotBeWrittenIsReportedAndTheCheckMarkFollowsTheFlag) {
    std::filesystem::create_directory(FolderPath() / "CorvaneDemo.dat");
    auto& window = Start();
    window.ToolsLogTransactionsToFileItemClick();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(Ui().ToolsLogTransactionsToFileItem->isChecked(),
              window.Log().LogTransactionsToFile());
}

TEST_F(TransactionLog, StyledLinesCarryTheirAttributesAndPlainLinesTheDefaults) {
    auto& window = Start();
    window.AddStyledLogLine("failure", true, 8, 1);
    window.AddLogLine("plain");
    window.AddStyledLogLine("estimate", true, 8, 3);
    const QTextDocument* document = Ui().LogMemo->document();
    const auto format = [document](int block) {
        return document->findBlockByNumber(block).begin().fragment().charFormat();
    };
    EXPECT_EQ(format(0).fontWeight(), QFont::Bold);
    EXPECT_EQ(format(0).fontPointSize(), 8);
    EXPECT_EQ(format(0).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(format(1).fontWeight(), QFont::Normal);
    EXPECT_EQ(format(1).fontPointSize(), 7);
    EXPECT_EQ(format(1).foreground().color(), QColor(0, 0, 0));
    EXPECT_EQ(format(2).foreground().color(), QColor(0, 128, 0));
    // The caret is at the end of the log.
    EXPECT_TRUE(Ui().LogMemo->textCursor().atEnd());
}

// The download reports its lines by kind; the window writes each kind in its own style, the
// same for every line of that kind.
TEST_F(TransactionLog, DownloadLinesOfEachKindHaveTheirStyle) {
    auto& window = Start();
    struct TExpected {
        Sondrel::TDownloadStepKind Kind;
        QFont::Weight Weight;
        double Size;
        QColor Colour;
    };
    const std::vector<TExpected> expected = {
        {Sondrel::skPlain, QFont::Normal, 7, QColor(0, 0, 0)},
        {Sondrel::skBold, QFont::Bold, 8, QColor(0, 0, 0)},
        {Sondrel::skFailure, QFont::Bold, 8, QColor(255, 0, 0)},
        {Sondrel::skEstimate, QFont::Bold, 8, QColor(0, 128, 0)},
        {Sondrel::skElapsed, QFont::Bold, 8, QColor(0, 0, 255)},
        {Sondrel::skCompletion, QFont::Bold, 8, QColor(0, 128, 0)},
    };
    for (const TExpected& line : expected) {
        window.Download().LogStep(line.Kind, "line " + std::to_string(line.Kind));
    }
    window.Download().LogStep(Sondrel::skPlain, "");
    ASSERT_EQ(LogLines().size(), static_cast<qsizetype>(expected.size()) + 1);
    EXPECT_EQ(LogLines().back(), QString());
    const QTextDocument* document = Ui().LogMemo->document();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QTextCharFormat format =
            document->findBlockByNumber(static_cast<int>(i)).begin().fragment().charFormat();
        EXPECT_EQ(LogLines()[static_cast<qsizetype>(i)], QStringLiteral("line %1").arg(i));
        EXPECT_EQ(format.fontWeight(), expected[i].Weight) << i;
        EXPECT_EQ(format.fontPointSize(), expected[i].Size) << i;
        EXPECT_EQ(format.foreground().color(), expected[i].Colour) << i;
    }
}

// 100 000 lines: appending stays linear and scrolling through the log stays quick. The times are
// printed; the bounds only catch a view that lays out the whole document for every line.
TEST_F(TransactionLog, AHundredThousandLinesStayResponsive) {
    auto& window = Start();
    window.resize(1024, 740);
    window.show();
    Stopwatch appending;
    for (int i = 0; i < 100000; ++i) {
        window.AddLogLine("INIT: Read Holding Registers (code $03) [ID: " + std::to_string(i) +
                          "]");
    }
    QCoreApplication::processEvents();
    const double appendSeconds = appending.ElapsedMs() / 1000.0;

    QScrollBar* bar = Ui().LogMemo->verticalScrollBar();
    Stopwatch scrolling;
    for (int step = 0; step <= 20; ++step) {
        bar->setValue(bar->maximum() * step / 20);
        QCoreApplication::processEvents();
    }
    bar->setValue(0);
    QCoreApplication::processEvents();
    const double scrollSeconds = scrolling.ElapsedMs() / 1000.0;

    std::printf("[ measure  ] 100000 log lines appended in %.2f s; 22 scroll steps in %.3f s\n",
                appendSeconds, scrollSeconds);
    EXPECT_EQ(Ui().LogMemo->document()->blockCount(), 100000);
    EXPECT_LT(appendSeconds, 120.0);
    EXPECT_LT(scrollSeconds, 20.0);
}
