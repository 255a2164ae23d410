// The results table of the Modbus Access tab and the report of a console register read, with
// sondrel-sim answering: the values of reads of 1, 11 and 125 registers, newest read on top;
// a read that gets an exception reply says so in the log and adds no row; the download's own
// reads never reach the table; clearing the log clears the table.
//
// With SONDREL_SCREENSHOT_DIR set, the tab after the reads is saved there as
// "modbus-access.png".
#include "SimulatorWindowFixture.h"

#include "AccessPanelController.h"
#include "ModbusAccessPage.h"
#include "RegisterResultsModel.h"
#include "ui_ModbusAccessPage.h"

#include <QRegularExpression>
#include <QTableView>

namespace {

using namespace ConsoleTest;

SondrelSim::TInstrumentSettings Instrument() {
    SondrelSim::TInstrumentSettings s;
    s.Seed = 3;
    s.CurrentRecord = 7999; // register 3 reads 7999, register 2 reads 0
    s.CurrentTime = *SondrelSim::TRecordTime::FromCalendar(2024, 3, 7, 9, 5);
    return s;
}

class RegisterResults : public SimulatorWindowFixture {
protected:
    Ui::TModbusAccessPage& Page() { return Ui().RegisterAccessTabSheet->Form(); }
    Sondrel::TRegisterResultsModel& Results() { return Window().AccessPanel().RegisterResults(); }
    QString Cell(int row, int column) {
        return Results().data(Results().index(row, column)).toString();
    }

    // Reads count holding registers from start through the tab and waits for the report's
    // empty line.
    bool ReadHolding(int start, int count) {
        const qsizetype before = LogLines().size();
        Page().ReadStartRegEdit->setText(QString::number(start));
        Page().ReadRegCountEdit->setText(QString::number(count));
        Page().ReadHoldingRegistersButton->click();
        return WaitFor([&] {
            const QStringList lines = LogLines();
            return lines.size() >= before + 4 && lines.last().isEmpty();
        });
    }
    QStringList LinesSince(qsizetype first) { return LogLines().mid(first); }
};

TEST_F(RegisterResults, ReadsOfOneElevenAndOneHundredTwentyFiveRegistersStackNewestFirst) {
    const E2eTests::SimulatedLog log(Instrument());
    const std::string port = StartSimulator(log);
    ASSERT_FALSE(port.empty());
    ASSERT_TRUE(StartConnected(port)) << Dialogs.Errors.join(';').toStdString();
    const qsizetype opened = LogLines().size();

    // One register: the low word of the current record. The log keeps its own lines: the
    // report of a console read, and no value in it.
    ASSERT_TRUE(ReadHolding(3, 1));
    const QStringList first = LinesSince(opened);
    ASSERT_EQ(first.size(), 5) << first.join('|').toStdString();
    EXPECT_TRUE(first[0].startsWith("INIT: Read Holding Registers (code $03) [ID: "));
    EXPECT_TRUE(first[1].startsWith("DONE: Read Holding Registers (code $03) [ID: "));
    EXPECT_EQ(first.mid(2),
              QStringList({"SUCCESS: Normal response", "1 holding register was processed.", ""}));
    ASSERT_EQ(Results().rowCount(), 1);
    EXPECT_EQ(Cell(0, 0), "3");
    EXPECT_EQ(Cell(0, 1), "7999");
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d$"))
                    .match(Cell(0, 2))
                    .hasMatch())
        << Cell(0, 2).toStdString();
    EXPECT_EQ(Cell(0, 3), "Holding");

    // Eleven: the command registers 243..253 as the instrument holds them (246 = 11: sampling).
    ASSERT_TRUE(ReadHolding(243, 11));
    ASSERT_EQ(Results().rowCount(), 12);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(Cell(i, 0), QString::number(243 + i));
        EXPECT_EQ(Cell(i, 1), i == 3 ? "11" : "0") << 243 + i;
    }
    EXPECT_EQ(Cell(11, 0), "3") << "the earlier read moved down";

    // 125 from 0: the current record's words at 2 and 3 among them.
    ASSERT_TRUE(ReadHolding(0, 125));
    ASSERT_EQ(Results().rowCount(), 137);
    for (int i = 0; i < 125; ++i) {
        ASSERT_EQ(Cell(i, 0), QString::number(i));
    }
    EXPECT_EQ(Cell(2, 1), "0");
    EXPECT_EQ(Cell(3, 1), "7999");
    EXPECT_EQ(Cell(125, 0), "243");
    EXPECT_EQ(Cell(136, 0), "3");
    EXPECT_TRUE(LogLines().contains("125 holding registers were processed."));
    for (const QString& line : LogLines()) {
        EXPECT_FALSE(line.contains("7999")) << "a value reached the log: " << line.toStdString();
    }

    if (const QByteArray dir = qgetenv("SONDREL_SCREENSHOT_DIR"); !dir.isEmpty()) {
        Ui().PageControl1->setTabVisible(Ui().PageControl1->indexOf(Ui().RegisterAccessTabSheet),
                                         true);
        Ui().PageControl1->setCurrentWidget(Ui().RegisterAccessTabSheet);
        Window().resize(1280, 800);
        Window().show();
        WaitFor([] { return false; }, 300);
        Window().grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/modbus-access.png"));
    }

    // Clearing the log clears the table.
    Window().ToolsClearTransactionLogItemClick();
    EXPECT_TRUE(LogLines().isEmpty());
    EXPECT_EQ(Results().rowCount(), 0);
}

TEST_F(RegisterResults, AReadAnsweredWithAnExceptionSaysSoAndAddsNoRow) {
    const E2eTests::SimulatedLog log(Instrument());
    const std::string port = StartSimulator(log);
    ASSERT_FALSE(port.empty());
    ASSERT_TRUE(StartConnected(port)) << Dialogs.Errors.join(';').toStdString();
    const qsizetype opened = LogLines().size();

    // The instrument has no register 60000.
    ASSERT_TRUE(ReadHolding(60000, 1)) << LinesSince(opened).join('|').toStdString();
    const QStringList lines = LinesSince(opened);
    ASSERT_EQ(lines.size(), 5) << lines.join('|').toStdString();
    const QString id = lines[0].mid(lines[0].lastIndexOf("[ID: "));
    EXPECT_EQ(lines[0], "INIT: Read Holding Registers (code $03) " + id);
    EXPECT_EQ(lines[1], "DONE: Read Holding Registers (code $03) " + id);
    EXPECT_EQ(lines.mid(2), QStringList({"FAILURE: Modbus exception response",
                                         "Server exception: Illegal data address", ""}));
    EXPECT_EQ(Results().rowCount(), 0);
}

TEST_F(RegisterResults, TheDownloadsOwnReadsNeverReachTheTableOrTheLog) {
    const E2eTests::SimulatedLog log(Instrument());
    const std::string port = StartSimulator(log);
    ASSERT_FALSE(port.empty());
    ASSERT_TRUE(StartConnected(port)) << Dialogs.Errors.join(';').toStdString();
    const qsizetype opened = LogLines().size();

    // A read made as the download makes it: the console's flag is off, nothing is reported
    // and nothing is shown, though its values go on to the record decoding.
    Window().CompletionReporter().ConsoleRegisterAccess = false;
    Window().ModbusClient1.ReadHoldingRegisters(3, 1, 0);
    WaitFor([] { return false; }, 500);
    EXPECT_EQ(LinesSince(opened), QStringList()) << LinesSince(opened).join('|').toStdString();
    EXPECT_EQ(Results().rowCount(), 0);
}

} // namespace

namespace {

TEST_F(RegisterResults, TheFormatAndWordOrderChoicesShowValuesOverTwoRegisters) {
    const E2eTests::SimulatedLog log(Instrument());
    const std::string port = StartSimulator(log);
    ASSERT_FALSE(port.empty());
    ASSERT_TRUE(StartConnected(port)) << Dialogs.Errors.join(';').toStdString();
    // Registers 2 and 3 hold 0 and 7999: as a 32-bit value high word first that is 7999.
    ASSERT_TRUE(ReadHolding(2, 2));
    EXPECT_EQ(Page().RegisterFormatComboBox->currentText(), "unsigned");
    EXPECT_EQ(Page().WordOrderComboBox->currentText(), "ABCD");
    EXPECT_EQ(Cell(0, 1), "0");
    EXPECT_EQ(Cell(1, 1), "7999");
    Page().RegisterFormatComboBox->setCurrentText(QStringLiteral("uint32"));
    EXPECT_EQ(Cell(0, 1), "7999");
    EXPECT_EQ(Cell(1, 1), "");
    Page().WordOrderComboBox->setCurrentText(QStringLiteral("CDAB"));
    EXPECT_EQ(Cell(0, 1), QString::number(7999u * 65536u));
    Page().RegisterFormatComboBox->setCurrentText(QStringLiteral("hex"));
    EXPECT_EQ(Cell(1, 1), "0x1F3F");
    Page().RegisterFormatComboBox->setCurrentText(QStringLiteral("float64"));
    EXPECT_EQ(Cell(0, 1), "-") << "two registers make no 64-bit value";
    Page().RegisterFormatComboBox->setCurrentText(QStringLiteral("unsigned"));
    Page().WordOrderComboBox->setCurrentText(QStringLiteral("ABCD"));
    EXPECT_EQ(Cell(1, 1), "7999") << "the default shows the values as before";
}

} // namespace
