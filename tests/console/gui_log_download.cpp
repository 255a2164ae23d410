// The Log Data page of the window: "Retrieve Data" from sondrel-sim (a child process on a new
// pseudo-terminal) into the record list view, the stop question and a second start while it
// runs, a header click during the download that leaves the specified order in place, sorting
// by a header click afterwards, the key filter of the number edits, and the export of the list
// as the table shows it through the window, with its progress and its log line.
//
// The window is pointed at the simulator as the demo mode does it: 115200 bit/s and the fast
// delay, so that a block costs about 150 ms; the preparation's fixed waits (about seven seconds)
// are what a download costs, so the downloading cases share one run.
//
// With SONDREL_SCREENSHOT_DIR set, the window after the download is saved there as
// "log-download.png", and sorted by "Total Cnts" as "sorted-table.png".
#include "WindowFixture.h"

#include "SimulatorChild.h"

#include "DemoInstrument.h"
#include "DigitKeyFilter.h"
#include "DownloadController.h"
#include "ExportCommands.h"
#include "FrozenColumns.h"
#include "LogDataPage.h"
#include "RecordListModel.h"
#include "ui_LogDataPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QProgressBar>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>

namespace {

using namespace ConsoleTest;

class LogDownloadWindow : public WindowFixture {
protected:
    Ui::TLogDataPage& Page() { return Window().LogDataPage().Form(); }
    Sondrel::TDownloadController& Download() { return Window().Download(); }

    // The model's rows as texts, in the list's order.
    std::vector<std::vector<std::string>> ModelRows() {
        const Sondrel::TRecordListModel& model = Download().Model();
        std::vector<std::vector<std::string>> rows;
        for (int r = 0; r < model.rowCount(); ++r) {
            std::vector<std::string> row;
            for (int c = 0; c < model.columnCount(); ++c) {
                row.push_back(model.data(model.index(r, c)).toString().toStdString());
            }
            rows.push_back(row);
        }
        return rows;
    }

    // Starts sondrel-sim on a new pseudo-terminal with the log and the extra options; the
    // device path, or empty when it did not start.
    std::string StartSimulator(const E2eTests::SimulatedLog& log,
                               const std::vector<std::string>& extra = {}) {
        std::vector<std::string> argv = {SONDREL_SIM_PROGRAM, "--pty"};
        for (const auto& list : {log.SimulatorArguments(), extra}) {
            argv.insert(argv.end(), list.begin(), list.end());
        }
        Simulator = std::make_unique<TestSupport::ChildProcess>(argv);
        if (!Simulator->WaitForLine("/dev/", std::chrono::seconds(10))) {
            return {};
        }
        return Simulator->Output().substr(0, Simulator->Output().find('\n'));
    }

    std::unique_ptr<TestSupport::ChildProcess> Simulator;

    int LinesEqualTo(const QString& text) {
        const QStringList lines = LogLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), text));
    }

    // A click on a column's header where the operator sees it: the frozen header for the
    // first three columns, the list's own (scrolled to it) for the others.
    void ClickHeader(int column) {
        QTableView& view = *Ui().logListView;
        Sondrel::TFrozenColumns& frozen = Download().FrozenColumns();
        if (column >= frozen.Count()) {
            view.scrollTo(view.model()->index(0, column));
            QApplication::processEvents();
        }
        QHeaderView& header = column < frozen.Count() ? *frozen.FrozenView().horizontalHeader()
                                                      : *view.horizontalHeader();
        QTest::mouseClick(
            header.viewport(), Qt::LeftButton, {},
            QPoint(header.sectionViewportPosition(column) + header.sectionSize(column) / 2,
                   header.height() / 2));
    }
    // The numbers of one column down the table (the Date column as month/day/year hh:mm).
    std::vector<std::string> ColumnTexts(int column) {
        std::vector<std::string> texts;
        for (const auto& row : ModelRows()) {
            texts.push_back(column == 1 ? row[1].substr(6) + row[1].substr(0, 5) + row[2]
                                        : row[static_cast<std::size_t>(column)]);
        }
        return texts;
    }
    static bool NumbersAscending(const std::vector<std::string>& texts) {
        return std::is_sorted(texts.begin(), texts.end(), [](const auto& a, const auto& b) {
            return std::stod(a) < std::stod(b);
        });
    }
    static bool NumbersDescending(const std::vector<std::string>& texts) {
        return std::is_sorted(texts.begin(), texts.end(), [](const auto& a, const auto& b) {
            return std::stod(a) > std::stod(b);
        });
    }
};

TEST_F(LogDownloadWindow, AtLineSpeedTheProgressBarsMoveAndTheTimesAreShown) {
    // A line that takes a real line's time: 100 records cost about two and a half seconds.
    const E2eTests::SimulatedLog log(TenRecordInstrument());
    const std::string port =
        StartSimulator(log, {"--wire-time", "--timing", "standard", "--baud", "115200"});
    ASSERT_FALSE(port.empty());

    Start();
    Sondrel::UseDemoInstrument(Window(), QString::fromStdString(port), Sondrel::dpLineSpeed);
    EXPECT_EQ(Download().DelayMenuChoice(), Sondrel::dmLine);
    EXPECT_EQ(Window().ModbusConnection1.FrameTiming(), Corvane::ftStandard);
    Window().Connect1Click();
    ASSERT_TRUE(Window().ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();
    Page().recentRadioButton->setChecked(true);
    Page().recordsEdit->setText(QStringLiteral("100"));
    Page().intervalEdit->setText(QStringLiteral("1"));

    // What the page shows while the download runs, looked at every 50 ms.
    std::set<int> received;
    QStringList elapsed;
    QStringList left;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        received.insert(Page().ALProgressBar11->value());
        elapsed << Page().timeLabel1->text();
        left << Page().timeLeftLabel1->text();
    });
    sampler.start(50);
    Page().startButton->click();
    sampler.stop();

    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();
    ASSERT_EQ(Download().Model().rowCount(), 100);
    const auto moving = std::count_if(received.begin(), received.end(),
                                      [](int value) { return value > 0 && value < 100; });
    EXPECT_GE(moving, 5) << "the received records' bar moved while the blocks were read";
    EXPECT_TRUE(elapsed.contains(QStringLiteral("00:00:01")) ||
                elapsed.contains(QStringLiteral("00:00:02")))
        << elapsed.join(' ').toStdString();
    const auto shownLeft = std::count_if(left.begin(), left.end(), [](const QString& text) {
        return text != QStringLiteral("--:--:--");
    });
    EXPECT_GT(shownLeft, 0) << "the time left was shown";
    EXPECT_EQ(Page().timeLeftLabel1->text(), "00:00:00") << "none left once it is done";
    const QStringList lines = LogLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QString& line) {
        return line.startsWith(QStringLiteral("Download will take approximately"));
    }));
}

TEST_F(LogDownloadWindow, RetrieveDataFillsTheListAndExportWritesItAsCsv) {
    const E2eTests::SimulatedLog log(TenRecordInstrument());
    const std::string port = StartSimulator(log);
    ASSERT_FALSE(port.empty());

    Start();
    Sondrel::UseDemoInstrument(Window(), QString::fromStdString(port));
    Window().Connect1Click();
    ASSERT_TRUE(Window().ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();
    Page().recentRadioButton->setChecked(true);
    Page().recordsEdit->setText(QStringLiteral("10"));
    Page().intervalEdit->setText(QStringLiteral("1"));

    // While the download waits: Stop answered No, then a second start.
    bool stopEnabledWhileRunning = false;
    bool startEnabledWhileRunning = true;
    QTimer::singleShot(2500, [&] {
        stopEnabledWhileRunning =
            Page().stopButton->isEnabled() && Window().stopToolButton->isEnabled();
        startEnabledWhileRunning = Page().startButton->isEnabled();
        Dialogs.YesNoAnswers.push_back(false);
        Page().stopButton->click();
        Download().startButtonClick();
    });
    // Once the records are being read, a header click sorts the table by "Total Cnts".
    bool sortedDuringTheDownload = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (LogLines().contains(QStringLiteral("Updating List... Please Wait..."))) {
            poll.stop();
            ClickHeader(12);
            sortedDuringTheDownload = !Download().Model().ShowsListOrder();
        }
    });
    poll.start();
    Page().startButton->click();

    EXPECT_TRUE(stopEnabledWhileRunning);
    EXPECT_FALSE(startEnabledWhileRunning);
    EXPECT_TRUE(Dialogs.Questions.contains(QStringLiteral("Stop Downloading?")));
    EXPECT_EQ(LinesEqualTo(QStringLiteral("Initializing Download...")), 1)
        << "the second start ran a download of its own";
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();

    // Records 1..10: the ten before the current one, the window starting at record 0.
    std::vector<std::vector<std::string>> expected;
    for (int record = 1; record <= 10; ++record) {
        expected.push_back(log.Row(record, 0));
    }
    std::sort(expected.begin(), expected.end());
    // The specified order, whatever the header click during the download.
    EXPECT_TRUE(sortedDuringTheDownload);
    EXPECT_EQ(ModelRows(), expected);
    EXPECT_TRUE(Download().Model().ShowsListOrder());
    EXPECT_EQ(Ui().logListView->horizontalHeader()->sortIndicatorSection(), 0);
    EXPECT_EQ(Ui().logListView->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);

    const QStringList lines = LogLines();
    for (const char* step :
         {"Stop Acquisition...", "Modbus Mode...", "Write Number of Output Logs...",
          "Write Nth Record...", "Current Record: 10", "First Record: 0", "List Count: 10",
          "Start Acquisition...", "Download Complete!"}) {
        EXPECT_TRUE(lines.contains(QString::fromLatin1(step))) << step;
    }
    for (const QString& line : lines) {
        EXPECT_FALSE(line.contains(QStringLiteral("FAILED"))) << line.toStdString();
    }
    EXPECT_EQ(Page().ALProgressBar11->value(), 0);
    EXPECT_EQ(Page().ALProgressBar21->value(), 0);
    EXPECT_TRUE(Page().startButton->isEnabled());
    EXPECT_TRUE(Page().recordsEdit->isEnabled());
    EXPECT_FALSE(Page().stopButton->isEnabled());
    EXPECT_FALSE(Window().stopToolButton->isEnabled());
    EXPECT_TRUE(Page().expButton->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    Download().Timer2Timer();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"))
                    .match(Page().timeLabel1->text())
                    .hasMatch())
        << Page().timeLabel1->text().toStdString();
    EXPECT_NE(Page().timeLabel1->text(), QStringLiteral("00:00:00"));

    if (const QByteArray dir = qgetenv("SONDREL_SCREENSHOT_DIR"); !dir.isEmpty()) {
        Window().resize(1280, 800);
        Window().show();
        WaitFor([] { return false; }, 300);
        Window().grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/log-download.png"));
    }

    // Sorting by a header click: three columns, both ways.
    ClickHeader(12); // Total Cnts
    EXPECT_TRUE(NumbersAscending(ColumnTexts(12)));
    ClickHeader(12);
    EXPECT_TRUE(NumbersDescending(ColumnTexts(12)));
    ClickHeader(1); // Date, with the time
    const std::vector<std::string> when = ColumnTexts(1);
    EXPECT_TRUE(std::is_sorted(when.begin(), when.end()));
    ClickHeader(1);
    const std::vector<std::string> whenBack = ColumnTexts(1);
    EXPECT_TRUE(std::is_sorted(whenBack.rbegin(), whenBack.rend()));
    ClickHeader(0); // Record Index: ascending first, which is the specified order
    EXPECT_EQ(ModelRows(), expected);
    ClickHeader(0);
    EXPECT_TRUE(NumbersDescending(ColumnTexts(0)));
    ClickHeader(12);
    ClickHeader(12);
    ASSERT_TRUE(NumbersDescending(ColumnTexts(12)));

    if (const QByteArray dir = qgetenv("SONDREL_SCREENSHOT_DIR"); !dir.isEmpty()) {
        Ui().logListView->horizontalScrollBar()->setValue(
            Ui().logListView->horizontalScrollBar()->maximum() / 3);
        WaitFor([] { return false; }, 300);
        Window().grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/sorted-table.png"));
    }

    // Export as CSV through the window: the save dialog, opened with a proposed name, answered
    // with a path; the file holds the rows as the table shows them.
    const QString csv = Folder.filePath(QStringLiteral("records.csv"));
    Page().exportComboBox->setCurrentIndex(0);
    Dialogs.FileAnswers.push_back(csv);
    Page().expButton->click();
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();
    ASSERT_FALSE(Dialogs.FileDialogs.empty());
    EXPECT_EQ(QFileInfo(Dialogs.FileDialogs.back().FileName).fileName(),
              "instrument-1_2024-03-07.csv");
    EXPECT_EQ(LogLines().mid(LogLines().size() - 1),
              QStringList({"Exported 10 records to " + csv + "."}));
    EXPECT_EQ(Page().ALProgressBar21Label->text(), "Export:");
    EXPECT_EQ(Page().ALProgressBar21->value(), 100);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> written = file.readAll().split('\n');
    // Title row, ten rows, and the empty rest after the last line end.
    ASSERT_EQ(written.size(), 12);
    const Sondrel::TRecordListModel& model = Download().Model();
    EXPECT_TRUE(written[0].startsWith("Record Index,")) << written[0].toStdString();
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c) {
            cells << model.data(model.index(r, c)).toString();
        }
        EXPECT_EQ(QString::fromLatin1(written[r + 1]), cells.join(',') + QLatin1Char('\r'));
    }
    EXPECT_TRUE(Page().expButton->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The next export's dialog opens in the folder used last.
    Dialogs.FileAnswers.push_back(QString());
    Page().expButton->click();
    EXPECT_EQ(QDir(Dialogs.FileDialogs.back().Directory), QDir(Folder.path()));
    Window().Disconnect1Click();
}

TEST_F(LogDownloadWindow, NumberEditsRejectALetterWithTheMessage) {
    Start();
    Page().recordsEdit->setText(QStringLiteral("12"));
    Page().recordsEdit->setEnabled(true);
    QTest::keyClick(Page().recordsEdit, Qt::Key_A);
    EXPECT_EQ(Page().recordsEdit->text(), QStringLiteral("12"));
    EXPECT_EQ(Dialogs.Messages,
              QStringList{QString::fromLatin1(Sondrel::TDigitKeyFilter::InvalidKeyText)});

    Page().minEdit->setEnabled(true);
    Page().minEdit->setText(QString());
    QTest::keyClick(Page().minEdit, Qt::Key_5);
    EXPECT_EQ(Page().minEdit->text(), QStringLiteral("5"));
    EXPECT_EQ(Dialogs.Messages.size(), 1);
}

TEST_F(LogDownloadWindow, ExportOfAnEmptyListIsRefusedBeforeAnyDialog) {
    Start();
    // Nothing downloaded yet: the export controls wait for a download.
    EXPECT_FALSE(Page().expButton->isEnabled());
    Download().expButtonXLSClick();
    EXPECT_EQ(Dialogs.Errors, QStringList{QString::fromLatin1(Sondrel::EmptyListMessage)});
    // No save dialog was asked for (the scripted service would record it as unexpected).
}

} // namespace
