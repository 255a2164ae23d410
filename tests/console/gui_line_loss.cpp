// The window when the line goes away in the middle of "Retrieve Data": the simulator killed, or
// the USB-serial adapter pulled out (its pseudo-terminals closed and their nodes and links
// removed). The download ends in seconds with its failure lines and box, the controls come
// back as after any failed download, nothing spins on the dead port, and once an instrument is
// back a reconnect downloads again.
//
// The instrument is sondrel-sim as a child process, reached as the demo mode reaches it
// (115200 bit/s, the fast delay); 500 records make a download long enough to break in its
// middle.
#include "WindowFixture.h"

#include "SimulatorChild.h"
#include "TestStopwatch.h"
#include "UnpluggableAdapter.h"

#include "DemoInstrument.h"
#include "DownloadController.h"
#include "LogDataPage.h"
#include "PumpWait.h"
#include "RecordListModel.h"
#include "ui_LogDataPage.h"

#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

using namespace ConsoleTest;
using namespace std::chrono_literals;

// How long the download may take to end once its line is gone: it stops before its next block
// and then restarts acquisition (about a second of fixed waits). Generous: the machine is
// shared and the sanitizer builds are slow.
constexpr long long kEndAfterLossMs = 20000;

class LineLossWindow : public WindowFixture {
protected:
    Ui::TLogDataPage& Page() { return Window().LogDataPage().Form(); }

    // sondrel-sim on a new pseudo-terminal, or on the given device; the port it serves.
    std::unique_ptr<TestSupport::ChildProcess> StartSimulator(const std::string& device = {}) {
        std::vector<std::string> argv = {SONDREL_SIM_PROGRAM};
        if (device.empty()) {
            argv.emplace_back("--pty");
        } else {
            argv.insert(argv.end(), {"--port", device, "--baud", "115200"});
        }
        const auto options = Log.SimulatorArguments();
        argv.insert(argv.end(), options.begin(), options.end());
        auto sim = std::make_unique<TestSupport::ChildProcess>(argv);
        EXPECT_TRUE(sim->WaitForLine("/", std::chrono::seconds(10)));
        return sim;
    }
    static std::string PortOf(TestSupport::ChildProcess& sim) {
        return sim.Output().substr(0, sim.Output().find('\n'));
    }

    void ConnectTo(const std::string& port) {
        Sondrel::UseDemoInstrument(Window(), QString::fromStdString(port));
        Window().Connect1Click();
    }

    // Runs "Retrieve Data" for the most recent records; returns when it has ended.
    void Retrieve(int records) {
        Page().recentRadioButton->setChecked(true);
        Page().recordsEdit->setText(QString::number(records));
        Page().intervalEdit->setText(QStringLiteral("1"));
        if (records > 200) {
            Dialogs.YesNoAnswers.push_back(true); // the estimate is above a minute
        }
        Page().startButton->click();
    }

    // Runs a 500-record download and calls lineGoesAway once it has read records for a while.
    // Returns how long the download took to end after that.
    long long RetrieveAndLoseTheLine(const std::function<void()>& lineGoesAway) {
        std::optional<TestSupport::Stopwatch> sinceLoss;
        QTimer watch;
        watch.setInterval(100);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (LogLines().contains(QStringLiteral("Updating List... Please Wait..."))) {
                watch.stop();
                // Bound to the watch: it never fires once this function has returned.
                QTimer::singleShot(1500, &watch, [&] {
                    lineGoesAway();
                    sinceLoss.emplace();
                });
            }
        });
        watch.start();
        Retrieve(500);
        EXPECT_TRUE(sinceLoss.has_value()) << "the download ended before the line went away";
        return sinceLoss ? sinceLoss->ElapsedMs() : -1;
    }

    // What the operator sees after a download whose line went away, and that the window is
    // idle on the dead port rather than busy.
    void ExpectFailedAndUsable() {
        const QStringList lines = LogLines();
        const auto at = [&](const char* text) { return lines.indexOf(QString::fromLatin1(text)); };
        EXPECT_GE(at("** RETRIEVE LOG DATA FAILED ** The serial line is gone."), 0);
        EXPECT_LT(at("Updating List... Please Wait..."),
                  at("** RETRIEVE LOG DATA FAILED ** The serial line is gone."));
        EXPECT_LT(at("Stopping Download..."), at("** RETRIEVE LOG DATA FAILED **"));
        EXPECT_LT(at("** RETRIEVE LOG DATA FAILED **"), at("Start Acquisition FAILED!"));
        EXPECT_EQ(at("Download Complete!"), -1);
        EXPECT_EQ(Dialogs.Errors,
                  QStringList{QStringLiteral("Retrieve Log Data FAILED! Please check your "
                                             "configuration and try again.")});
        Dialogs.Errors.clear();

        EXPECT_TRUE(Page().startButton->isEnabled());
        EXPECT_TRUE(Window().startToolButton->isEnabled());
        EXPECT_TRUE(Page().recordsEdit->isEnabled());
        EXPECT_FALSE(Page().stopButton->isEnabled());
        EXPECT_FALSE(Window().stopToolButton->isEnabled());
        EXPECT_EQ(Page().ALProgressBar11->value(), 0);
        EXPECT_EQ(Page().ALProgressBar21->value(), 0);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(Window().ModbusConnection1.Active());

        // Two seconds with the connection open on the dead port: next to no processor time.
        const auto cpuBefore = TestSupport::ProcessCpuTime();
        Sondrel::PumpWait(2000); // an event loop that sleeps between events
        const auto cpuUsed = TestSupport::ProcessCpuTime() - cpuBefore;
        EXPECT_LT(cpuUsed, 500ms) << "the window spins on a lost line";
        RecordProperty("idle_cpu_us", static_cast<int>(cpuUsed.count()));
        std::printf("[ measured ] %lld ms CPU in 2 s idle on the lost line\n",
                    static_cast<long long>(cpuUsed.count() / 1000));

        // A later action: disconnecting works and says so.
        Window().Disconnect1Click();
        EXPECT_FALSE(Window().ModbusConnection1.Active());
        EXPECT_EQ(Panel(0), QStringLiteral("Modbus connection: Closed"));
        EXPECT_TRUE(Window().ConnectToolButton->isEnabled());
    }

    // A download of five records that must succeed, compared with the instrument's log.
    void ExpectFiveRecordsDownload() {
        Retrieve(5);
        EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(';').toStdString();
        EXPECT_TRUE(LogLines().contains(QStringLiteral("Download Complete!")));
        std::vector<std::vector<std::string>> expected;
        for (int record = 6; record <= 10; ++record) {
            expected.push_back(Log.Row(record, 5));
        }
        std::sort(expected.begin(), expected.end());
        const Sondrel::TRecordListModel& model = Window().Download().Model();
        std::vector<std::vector<std::string>> rows;
        for (int r = 0; r < model.rowCount(); ++r) {
            std::vector<std::string> row;
            for (int c = 0; c < model.columnCount(); ++c) {
                row.push_back(model.data(model.index(r, c)).toString().toStdString());
            }
            rows.push_back(row);
        }
        EXPECT_EQ(rows, expected);
    }

    const E2eTests::SimulatedLog Log{TenRecordInstrument()};
};

TEST_F(LineLossWindow, SimulatorKilledMidDownloadFailsPromptlyAndAReconnectDownloadsAgain) {
    auto sim = StartSimulator();
    Start();
    ConnectTo(PortOf(*sim));
    ASSERT_TRUE(Window().ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();

    const long long endedMs = RetrieveAndLoseTheLine([&] {
        sim->Signal(SIGKILL);
        sim->Stop(0ms);
    });
    EXPECT_GE(endedMs, 0);
    EXPECT_LT(endedMs, kEndAfterLossMs);
    RecordProperty("ended_ms", static_cast<int>(endedMs));
    std::printf("[ measured ] download ended %lld ms after the line was lost\n", endedMs);
    ExpectFailedAndUsable();

    // A new instrument on a new pseudo-terminal.
    sim = StartSimulator();
    ConnectTo(PortOf(*sim));
    ASSERT_TRUE(Window().ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();
    ExpectFiveRecordsDownload();
    Window().Disconnect1Click();
}

TEST_F(LineLossWindow, AdapterPulledMidDownloadFailsPromptlyAndTheSamePortWorksOncePluggedBack) {
    TestSupport::UnpluggableAdapter adapter;
    auto sim = StartSimulator(adapter.InstrumentPath());
    Start();
    ConnectTo(adapter.DevicePath());
    ASSERT_TRUE(Window().ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();

    const long long endedMs = RetrieveAndLoseTheLine([&] { adapter.Unplug(); });
    EXPECT_GE(endedMs, 0);
    EXPECT_LT(endedMs, kEndAfterLossMs);
    RecordProperty("ended_ms", static_cast<int>(endedMs));
    std::printf("[ measured ] download ended %lld ms after the line was lost\n", endedMs);
    ExpectFailedAndUsable();

    // Out: the port cannot be opened, and the operator is told so.
    Window().Connect1Click();
    EXPECT_FALSE(Window().ModbusConnection1.Active());
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].contains(QStringLiteral("Could not open serial port")))
        << Dialogs.Errors[0].toStdString();
    Dialogs.Errors.clear();

    // Back in, with the instrument serving again: the same port name works.
    sim->Stop();
    adapter.Plug();
    sim = StartSimulator(adapter.InstrumentPath());
    Window().Connect1Click();
    ASSERT_TRUE(Window().ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();
    ExpectFiveRecordsDownload();
    Window().Disconnect1Click();
}

} // namespace
