// The Traffic dock with sondrel-sim answering the window's reads: shown from the View menu,
// the frames of a register read in the table with their meaning and timing, faults in red,
// the filters, pause and resume, clear, the statistics in the dock and the status bar's
// tooltip with their reset, the capture saved through the save dialog, and the frame limit as
// a setting.
//
// With SONDREL_SCREENSHOT_DIR set, the window during a download is saved there as
// "traffic.png".
#include "SimulatorWindowFixture.h"

#include "DemoInstrument.h"
#include "LogDataPage.h"
#include "SimulatorChild.h"
#include "ui_LogDataPage.h"

#include "LineStatistics.h"
#include "ModbusAccessPage.h"
#include "TrafficDock.h"
#include "TrafficTableModel.h"
#include "ui_ModbusAccessPage.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

using namespace ConsoleTest;
using Sondrel::TTrafficTableModel;

SondrelSim::TInstrumentSettings Instrument() {
    SondrelSim::TInstrumentSettings s;
    s.Seed = 3;
    s.CurrentRecord = 7999;
    s.CurrentTime = *SondrelSim::TRecordTime::FromCalendar(2024, 3, 7, 9, 5);
    return s;
}

class TrafficDock : public SimulatorWindowFixture {
protected:
    Sondrel::TTrafficDock& Dock() { return Window().TrafficDock(); }
    QAbstractItemModel& Shown() { return *Dock().Table->model(); }
    QString Cell(int row, int column) { return Shown().index(row, column).data().toString(); }

    bool Connect() {
        Port = StartSimulator(Log);
        return !Port.empty() && StartConnected(Port);
    }
    // Reads through the Modbus Access tab and waits until the dock shows frames rows.
    bool ReadHolding(int start, int count, int rows) {
        auto& page = Ui().RegisterAccessTabSheet->Form();
        page.ReadStartRegEdit->setText(QString::number(start));
        page.ReadRegCountEdit->setText(QString::number(count));
        page.ReadHoldingRegistersButton->click();
        return WaitFor([&] { return Dock().Model().rowCount() >= rows; });
    }

    const E2eTests::SimulatedLog Log{Instrument()};
    std::string Port;
};

TEST_F(TrafficDock, TheViewMenuShowsTheFramesOfAReadWithTheirMeaningAndTiming) {
    ASSERT_TRUE(Connect()) << Dialogs.Errors.join(';').toStdString();
    QAction* toggle = Window().findChild<QAction*>(QStringLiteral("ViewTrafficItem"));
    ASSERT_NE(toggle, nullptr);
    EXPECT_TRUE(Ui().ViewMenu->actions().contains(toggle));
    EXPECT_FALSE(Dock().isVisible());
    toggle->trigger();
    EXPECT_TRUE(Dock().isVisible());

    ASSERT_TRUE(ReadHolding(2, 2, 2));
    ASSERT_EQ(Dock().Model().rowCount(), 2);
    EXPECT_EQ(Cell(0, TTrafficTableModel::tcDirection), "Sent");
    EXPECT_EQ(Cell(0, TTrafficTableModel::tcBytes), "01 03 00 02 00 02 65 CB");
    EXPECT_EQ(Cell(0, TTrafficTableModel::tcMeaning),
              "Read Holding Registers: server 1, start 2, count 2");
    EXPECT_EQ(Cell(1, TTrafficTableModel::tcDirection), "Received");
    EXPECT_EQ(Cell(1, TTrafficTableModel::tcMeaning),
              "Read Holding Registers reply: server 1, start 2, count 2, values 0 7999");
    EXPECT_EQ(Cell(1, TTrafficTableModel::tcStatus), "OK");
    EXPECT_TRUE(Cell(1, TTrafficTableModel::tcResponse).endsWith(" ms"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{6}$"))
                    .match(Cell(1, TTrafficTableModel::tcTime))
                    .hasMatch())
        << Cell(1, 0).toStdString();
    EXPECT_FALSE(Shown().index(1, 0).data(Qt::ForegroundRole).isValid()) << "a good reply";

    EXPECT_EQ(Dock().Statistics().Requests(), 1u);
    EXPECT_EQ(Dock().Statistics().NormalReplies(), 1u);
    EXPECT_TRUE(Dock().StatisticsLabel->text().contains("Normal replies: 1"));
    EXPECT_TRUE(Window().StatusBar1().toolTip().contains("Requests: 1 (retries 0)"))
        << Window().StatusBar1().toolTip().toStdString();
    Dock().ResetButton->click();
    EXPECT_EQ(Dock().Statistics().Requests(), 0u);
    EXPECT_TRUE(Window().StatusBar1().toolTip().contains("Requests: 0"));
    EXPECT_EQ(Dock().Model().rowCount(), 2) << "a reset keeps the frames";
}

TEST_F(TrafficDock, ADownloadShowsItsRequestsAndRepliesAsTheyHappen) {
    const E2eTests::SimulatedLog log(TenRecordInstrument());
    Port = StartSimulator(log, {"--wire-time", "--timing", "standard", "--baud", "115200"});
    ASSERT_FALSE(Port.empty());
    Start().show();
    Window().resize(1500, 950);
    Sondrel::UseDemoInstrument(Window(), QString::fromStdString(Port), Sondrel::dpLineSpeed);
    Window().Connect1Click();
    ASSERT_TRUE(Window().ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();
    auto& page = Window().LogDataPage().Form();
    page.recentRadioButton->setChecked(true);
    page.recordsEdit->setText(QStringLiteral("10"));
    // Halfway: frames are in the dock while the download still runs.
    int rowsWhileRunning = 0;
    // The menus are disabled during the download: the shortcut opens the dock.
    bool menuEnabledWhileRunning = true;
    QTimer::singleShot(100, &Window(), [&] {
        menuEnabledWhileRunning = Ui().ViewMenu->menuAction()->isEnabled();
        QTest::keyClick(&Window(), Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    });
    QTimer::singleShot(300, &Window(), [&] {
        rowsWhileRunning = Dock().Model().rowCount();
        if (const QByteArray folder = qgetenv("SONDREL_SCREENSHOT_DIR"); !folder.isEmpty()) {
            Window().grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/traffic.png"));
        }
    });
    page.startButton->click();
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();
    EXPECT_FALSE(menuEnabledWhileRunning);
    EXPECT_TRUE(Dock().isVisible());
    EXPECT_GT(rowsWhileRunning, 0);
    Dock().DrainNow();
    int pointerWrites = 0;
    int blockReads = 0;
    for (int r = 0; r < Dock().Model().rowCount(); ++r) {
        const QString meaning = Cell(r, TTrafficTableModel::tcMeaning);
        pointerWrites += meaning.startsWith("Write Single Register: server 1, address 254,");
        blockReads += meaning.startsWith("Read Holding Registers reply: server 1, start 256, "
                                         "count 104,");
    }
    EXPECT_GE(pointerWrites, 1);
    EXPECT_GE(blockReads, 1);
    const auto& stats = Dock().Statistics();
    EXPECT_EQ(stats.NormalReplies(), stats.Requests()) << "a clean line: every request answered";
    EXPECT_EQ(stats.Timeouts() + stats.Corrupted(), 0u);
}

TEST_F(TrafficDock, AnExceptionIsCountedAndTheFiltersPauseAndClearWork) {
    ASSERT_TRUE(Connect());
    Dock().show();
    ASSERT_TRUE(ReadHolding(2, 1, 2));
    // Far beyond the instrument's registers: an exception reply.
    ASSERT_TRUE(ReadHolding(60000, 1, 4));
    EXPECT_EQ(Dock().Statistics().Exceptions(), 1u);
    EXPECT_TRUE(Cell(3, TTrafficTableModel::tcMeaning)
                    .startsWith("Read Holding Registers exception: server 1, 02 "))
        << Cell(3, TTrafficTableModel::tcMeaning).toStdString();

    Dock().DirectionFilter->setCurrentIndex(1); // Sent
    EXPECT_EQ(Shown().rowCount(), 2);
    Dock().DirectionFilter->setCurrentIndex(0);
    Dock().StatusFilter->setCurrentIndex(3); // Exceptions
    ASSERT_EQ(Shown().rowCount(), 1);
    EXPECT_EQ(Cell(0, TTrafficTableModel::tcStatus), "Exception");
    Dock().StatusFilter->setCurrentIndex(0);
    Dock().FunctionFilter->setCurrentIndex(Dock().FunctionFilter->findText("Write Single Coil"));
    EXPECT_EQ(Shown().rowCount(), 0);
    Dock().FunctionFilter->setCurrentIndex(0);
    EXPECT_EQ(Shown().rowCount(), 4);

    // Paused: captured and counted, shown on resume.
    Dock().PauseButton->click();
    EXPECT_EQ(Dock().PauseButton->text(), "Resume");
    auto& page = Ui().RegisterAccessTabSheet->Form();
    page.ReadStartRegEdit->setText(QStringLiteral("3"));
    page.ReadRegCountEdit->setText(QStringLiteral("1"));
    page.ReadHoldingRegistersButton->click();
    ASSERT_TRUE(WaitFor([&] { return Dock().Statistics().Requests() == 3; }));
    EXPECT_EQ(Dock().Model().rowCount(), 4);
    Dock().PauseButton->click();
    ASSERT_TRUE(WaitFor([&] { return Dock().Model().rowCount() == 6; }));

    Dock().ClearButton->click();
    EXPECT_EQ(Dock().Model().rowCount(), 0);
    EXPECT_EQ(Dock().Statistics().Requests(), 3u) << "clearing the frames keeps the counts";
}

TEST_F(TrafficDock, TheCaptureIsSavedThroughTheSaveDialogAsCsvOrText) {
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(ReadHolding(3, 1, 2));
    const QString csv = Folder.filePath(QStringLiteral("capture.csv"));
    const QString text = Folder.filePath(QStringLiteral("capture.txt"));
    Dialogs.FileAnswers = {csv, text, Folder.filePath(QStringLiteral("missing/capture.csv"))};
    Dock().SaveButton->click();
    Dock().SaveButton->click();
    Dock().SaveButton->click();
    QFile csvFile(csv);
    ASSERT_TRUE(csvFile.open(QIODevice::ReadOnly));
    const QStringList csvLines = QString::fromUtf8(csvFile.readAll()).split("\r\n");
    ASSERT_EQ(csvLines.size(), 4); // header, two frames, the empty end
    EXPECT_EQ(csvLines[0], "Time,Direction,Bytes,Meaning,Status,Gap (us),Response (us)");
    EXPECT_TRUE(csvLines[1].contains(",Sent,01 03 00 03 00 01 74 0A,"));
    QFile textFile(text);
    ASSERT_TRUE(textFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(textFile.readAll()).count('\n'), 2);
    ASSERT_EQ(Dialogs.Errors.size(), 1) << "the failed save is reported";
    EXPECT_TRUE(Dialogs.Errors[0].contains("missing")) << Dialogs.Errors[0].toStdString();
    Dialogs.Errors.clear();
}

TEST_F(TrafficDock, TheFrameLimitIsASettingAndDropsTheOldestFrames) {
    StoreSetting(QStringLiteral("TrafficFrameLimit"), QStringLiteral("100"));
    ASSERT_TRUE(Connect());
    EXPECT_EQ(Dock().LimitSpin->value(), 100);
    for (std::uint64_t i = 0; i < 52; ++i) {
        ReadHolding(static_cast<int>(i % 10), 1, 0);
        ASSERT_TRUE(WaitFor([&] {
            Dock().DrainNow();
            return Dock().Statistics().NormalReplies() == i + 1;
        }));
    }
    EXPECT_EQ(Dock().Model().rowCount(), 100);
    EXPECT_EQ(Cell(0, TTrafficTableModel::tcMeaning).toStdString(),
              "Read Holding Registers: server 1, start 2, count 1")
        << "the oldest two reads are gone";
    Dock().LimitSpin->setValue(200);
    EXPECT_EQ(StoredSettings().value("TrafficFrameLimit"), "200");
}

TEST_F(TrafficDock, AStoredLimitThatIsNoNumberReadsAsTheDefault) {
    StoreSetting(QStringLiteral("TrafficFrameLimit"), QStringLiteral("lots"));
    Start();
    EXPECT_EQ(Dock().LimitSpin->value(), 100000);
    EXPECT_EQ(Dock().Model().Store().Limit(), 100000u);
}

} // namespace
