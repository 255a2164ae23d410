// The console under a flood of manual requests: a thousand reads queued on the window's client
// through the access panel's buttons without waiting, against a device on a pseudo-terminal
// that answers (held back until the queue is full), one that never answers, and one that
// answers slowly. Every request must end with exactly one report of its own, the queue watch
// must write its overflow and stall lines once each, and the event loop must keep turning
// while the completions arrive.
//
// The window talks Modbus ASCII here: a frame ends at its LF, so a thousand exchanges cost a
// second or two instead of a thousand RTU silent gaps.
#include "WindowFixture.h"

#include "EventLoopWait.h"
#include "GatedAsciiPeer.h"

#include "MainThreadBridge.h"

#include "DiscreteAccessPage.h"
#include "ModbusAccessPage.h"
#include "ui_DiscreteAccessPage.h"
#include "ui_ModbusAccessPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <map>
#include <thread>

using namespace ConsoleTest;
using TestSupport::Bytes;
using TestSupport::PtyPair;

namespace {

constexpr int kFlood = 1000;

const QString kOverflowLine =
    "** RETRIEVE LOG DATA FAILED ** Pending transactions exceeded maximum allowed.";
const QString kStallLine =
    "** RETRIEVE LOG DATA FAILED ** Pending transactions could not recover in time.";
const QString kStoppingLine = "Stopping Download...";
const QString kSuccess = "SUCCESS: Normal response";
const QString kTimeout = "FAILURE: Response timeout expired";

// A device at address 1: coil 0 ON, discrete input 0 OFF, input register 0 holding 4660.
Bytes Answer(const Bytes& request) {
    if (request.size() < 2 || request[0] != 0x01) {
        return {};
    }
    switch (request[1]) {
    case 0x01:
        return {0x01, 0x01, 0x01, 0x01};
    case 0x02:
        return {0x01, 0x02, 0x01, 0x00};
    case 0x04:
        return {0x01, 0x04, 0x02, 0x12, 0x34};
    default:
        return {};
    }
}

// The three reads the flood cycles through: the operation name of their INIT and DONE lines
// and the detail lines of a normal response (one item at address 0).
struct ReadKind {
    QString Name;
    QStringList Details;
};
const std::vector<ReadKind> kReadKinds = {
    {"Read Input Registers (code $04)", {"1 input register was processed."}},
    {"Read Coils (code $01)", {"1 coil was processed.", "Coil 0 is ON."}},
    {"Read Discrete Inputs (code $02)",
     {"1 discrete input was processed.", "Discrete input 0 is OFF."}},
};

// The ID at the end of an INIT or DONE line ("... [ID: 17]"), and the name before it.
std::pair<QString, int> NameAndId(const QString& line, qsizetype prefix) {
    const auto at = line.lastIndexOf(QStringLiteral(" [ID: "));
    if (at < 0 || !line.endsWith(QLatin1Char(']'))) {
        return {QString(), -1};
    }
    bool ok = false;
    const int id = line.mid(at + 6).chopped(1).toInt(&ok);
    return {line.mid(prefix, at - prefix), ok ? id : -1};
}

// The log taken apart: the INIT lines, the reports of the completions (each a DONE line, its
// outcome, the detail lines of its kind when it succeeded, an empty line) and whatever else.
struct FloodLog {
    std::map<int, QString> Inits; // by ID
    int DuplicateInits = 0;
    std::vector<int> Done; // IDs in the order of their reports
    std::map<int, QString> Outcomes;
    QStringList Malformed; // reports that do not have their shape
    QStringList Other;

    explicit FloodLog(const QStringList& lines) {
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString& line = lines[i];
            if (line.startsWith(QStringLiteral("INIT: "))) {
                const auto [name, id] = NameAndId(line, 6);
                DuplicateInits += Inits.count(id) != 0 ? 1 : 0;
                Inits[id] = name;
            } else if (line.startsWith(QStringLiteral("DONE: "))) {
                i = ReadReport(lines, i);
            } else {
                Other << line;
            }
        }
    }

    // Reads the report that starts at lines[at]; returns the index of its last line.
    qsizetype ReadReport(const QStringList& lines, qsizetype at) {
        const auto [name, id] = NameAndId(lines[at], 6);
        Done.push_back(id);
        const QString outcome = lines.value(at + 1);
        Outcomes[id] = outcome;
        QStringList expected = {outcome};
        if (outcome == kSuccess) {
            for (const ReadKind& kind : kReadKinds) {
                if (kind.Name == name) {
                    expected << kind.Details;
                }
            }
        }
        expected << QString();
        const QStringList actual = lines.mid(at + 1, expected.size());
        const auto init = Inits.find(id);
        if (actual != expected || init == Inits.end() || init->second != name) {
            Malformed << lines[at] + " | " + actual.join(QStringLiteral(" | "));
        }
        return at + expected.size();
    }
};

// Measures how long the event loop goes without turning: a 10 ms timer that keeps the longest
// gap between two of its ticks.
class EventLoopHeartbeat {
public:
    EventLoopHeartbeat() {
        FTimer.setInterval(10);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            FLongest = std::max(FLongest, FSince.restart());
            ++FBeats;
        });
        FSince.start();
        FTimer.start();
    }
    qint64 LongestGapMs() const { return FLongest; }
    int Beats() const { return FBeats; }

private:
    QTimer FTimer;
    QElapsedTimer FSince;
    qint64 FLongest = 0;
    int FBeats = 0;
};

class ConsoleFlood : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        StoreSetting("SerialPort1", QString::fromStdString(Pty.SlavePath()));
    }
    void TearDown() override {
        Windows.reset();
        Peer.reset();
        WindowFixture::TearDown();
    }

    // Starts the window on the pseudo-terminal in ASCII with one attempt per request and the
    // given reply timeout, and opens the connection.
    Sondrel::TCorvaneDemoMainForm& StartConnected(int receiveTimeoutMs) {
        WriteProgramFile("CorvaneDemo.dat", "[ModbusConnection1]\r\nTransmissionMode=1\r\n"
                                            "MaxRetries=1\r\nReceiveTimeout=" +
                                                std::to_string(receiveTimeoutMs) + "\r\n");
        auto& window = Start();
        window.Connect1Click();
        EXPECT_TRUE(window.ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();
        OpenLines = LogLines().size();
        return window;
    }

    // Presses the three read buttons in turn, count presses in all, without waiting.
    void ClickReads(int count) {
        auto& registers = Ui().RegisterAccessTabSheet->Form();
        auto& discrete = Ui().DiscreteAccessTabSheet->Form();
        registers.ReadStartRegEdit->setText(QStringLiteral("0"));
        registers.ReadRegCountEdit->setText(QStringLiteral("1"));
        discrete.ReadStartBitEdit->setText(QStringLiteral("0"));
        discrete.ReadBitCountEdit->setText(QStringLiteral("1"));
        QPushButton* buttons[] = {registers.ReadInputRegistersButton, discrete.ReadCoilsButton,
                                  discrete.ReadDiscreteInputsButton};
        for (int i = 0; i < count; ++i) {
            buttons[i % 3]->click();
        }
    }

    QStringList NewLines() { return LogLines().mid(OpenLines); }
    int LogBlockCount() { return Ui().LogMemo->document()->blockCount(); }

    // Every INIT has exactly one report, in the order of the IDs, with the outcome expected.
    void ExpectOneReportEach(const FloodLog& log, int count, const QString& outcome) {
        EXPECT_EQ(static_cast<int>(log.Inits.size()), count);
        EXPECT_EQ(log.DuplicateInits, 0);
        std::vector<int> ids;
        for (const auto& [id, name] : log.Inits) {
            ids.push_back(id);
        }
        EXPECT_EQ(log.Done, ids) << "a completion was lost, duplicated or reported out of order";
        EXPECT_TRUE(log.Malformed.isEmpty())
            << log.Malformed.size()
            << " malformed reports, the first: " << log.Malformed.value(0).toStdString();
        int matching = 0;
        for (const auto& [id, text] : log.Outcomes) {
            matching += text == outcome ? 1 : 0;
        }
        EXPECT_EQ(matching, count);
    }

    PtyPair Pty;
    std::unique_ptr<GatedAsciiPeer> Peer;
    qsizetype OpenLines = 0;
};

TEST_F(ConsoleFlood, AThousandReadsOfAnAnsweringDeviceEachGetOneReportAndOneOverflowLine) {
    // The device holds its first reply until the queue watch has seen the full queue.
    Peer = std::make_unique<GatedAsciiPeer>(Pty, Answer, false);
    auto& window = StartConnected(10000);
    ClickReads(kFlood);
    EXPECT_GT(window.ModbusConnection1.PendingTransactionCount(), 500);

    ASSERT_TRUE(RunEventLoopUntil([&] { return NewLines().contains(kOverflowLine); }, 5000))
        << "the queue watch did not report the overflow";
    EXPECT_EQ(Panel(2), QString("There are %1 pending transactions.")
                            .arg(window.ModbusConnection1.PendingTransactionCount()));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor was left on";

    EventLoopHeartbeat heartbeat;
    Peer->OpenGate();
    const int expectedBlocks = LogBlockCount() + kFlood * 4 + (2 * kFlood) / 3;
    ASSERT_TRUE(RunEventLoopUntil([&] { return LogBlockCount() >= expectedBlocks; }, 60000))
        << Peer->ReplyCount() << " replies sent";
    // Time for anything that must not come: a second report, a second watch line.
    RunEventLoopFor(600);

    const FloodLog log(NewLines());
    ExpectOneReportEach(log, kFlood, kSuccess);
    EXPECT_EQ(log.Other, QStringList({kOverflowLine, kStoppingLine}));
    EXPECT_EQ(Peer->RequestCount(), kFlood);
    EXPECT_EQ(Peer->BadFrameCount(), 0);
    EXPECT_EQ(window.ModbusConnection1.PendingTransactionCount(), 0);
    EXPECT_LT(heartbeat.LongestGapMs(), 2000) << "the event loop stalled while completing";
    std::printf("[ figures  ] %d answered reads: longest event loop gap %lld ms, %d beats\n",
                kFlood, static_cast<long long>(heartbeat.LongestGapMs()), heartbeat.Beats());
}

TEST_F(ConsoleFlood, AThousandReadsOfASilentDeviceEachFailWithTheirOwnReport) {
    Peer = std::make_unique<GatedAsciiPeer>(Pty, [](const Bytes&) { return Bytes{}; });
    auto& window = StartConnected(10);
    ClickReads(kFlood);
    EventLoopHeartbeat heartbeat;

    // DONE, the outcome and an empty line each; the overflow and stopping lines.
    const int expectedBlocks = LogBlockCount() + kFlood * 3 + 2;
    ASSERT_TRUE(RunEventLoopUntil([&] { return LogBlockCount() >= expectedBlocks; }, 90000))
        << window.ModbusConnection1.PendingTransactionCount() << " still pending";
    RunEventLoopFor(600);

    const FloodLog log(NewLines());
    ExpectOneReportEach(log, kFlood, kTimeout);
    EXPECT_EQ(log.Other, QStringList({kOverflowLine, kStoppingLine}));
    // One attempt per request (a request purged from the line before the device read it, as
    // an output purge does on a real line, never reaches it).
    EXPECT_LE(Peer->RequestCount(), kFlood);
    EXPECT_LT(heartbeat.LongestGapMs(), 2000) << "the event loop stalled while completing";
    std::printf("[ figures  ] %d unanswered reads: longest event loop gap %lld ms\n", kFlood,
                static_cast<long long>(heartbeat.LongestGapMs()));
}

TEST_F(ConsoleFlood, ASlowDeviceThatKeepsTheQueueFullIsReportedOnceAsAStall) {
    // 120 reads answered 30 ms apart keep two or more pending for well over 30 stall ticks;
    // the stall counter ticks every 20 ms here instead of every second.
    constexpr int kSlowReads = 120;
    Peer = std::make_unique<GatedAsciiPeer>(Pty, Answer, true, std::chrono::milliseconds(30));
    auto& window = StartConnected(10000);
    window.transactionTimer->setInterval(20);
    ClickReads(kSlowReads);

    // The reports, the stall line and the stopping line.
    const int expectedBlocks = LogBlockCount() + kSlowReads * 4 + (2 * kSlowReads) / 3 + 2;
    ASSERT_TRUE(RunEventLoopUntil([&] { return LogBlockCount() >= expectedBlocks; }, 60000));
    RunEventLoopFor(600);

    const FloodLog log(NewLines());
    ExpectOneReportEach(log, kSlowReads, kSuccess);
    EXPECT_EQ(log.Other, QStringList({kStallLine, kStoppingLine}));
    // The line came while the device was still working through the queue.
    const QStringList lines = NewLines();
    const auto stallAt = lines.indexOf(kStallLine);
    EXPECT_LT(std::count_if(lines.begin(), lines.begin() + stallAt,
                            [](const QString& l) { return l.startsWith("DONE: "); }),
              kSlowReads - 2);
}

TEST_F(ConsoleFlood, ClosingTheConnectionWithAThousandQueuedDropsThemWithoutReports) {
    // The device never answers; the request on the line waits its 300 ms out.
    Peer = std::make_unique<GatedAsciiPeer>(Pty, Answer, false);
    auto& window = StartConnected(300);
    ClickReads(kFlood);
    ASSERT_TRUE(RunEventLoopUntil([&] { return NewLines().contains(kOverflowLine); }, 5000));

    // Requests that timed out before the close (a slow machine) are reported; none after it.
    const std::size_t doneBefore = FloodLog(NewLines()).Done.size();
    ASSERT_GT(window.ModbusConnection1.PendingTransactionCount(), 500);
    window.Disconnect1Click();
    EXPECT_FALSE(window.ModbusConnection1.Active());
    EXPECT_EQ(window.ModbusConnection1.PendingTransactionCount(), 0);
    RunEventLoopFor(800);

    const FloodLog log(NewLines());
    EXPECT_EQ(static_cast<int>(log.Inits.size()), kFlood);
    EXPECT_EQ(log.Done.size(), doneBefore) << "a transaction of the closed connection was reported";
    EXPECT_TRUE(log.Malformed.isEmpty()) << log.Malformed.value(0).toStdString();
    EXPECT_EQ(log.Other, QStringList({kOverflowLine, kStoppingLine, "Closing Modbus connection...",
                                      "Modbus Connection has been closed.", ""}));
    EXPECT_LE(Peer->RequestCount(), static_cast<int>(doneBefore) + 2);
}

// --- The hand-over to the event loop ----------------------------------------------------------

using WindowEventLoop = WindowFixture;

TEST_F(WindowEventLoop, WorkHandedOverFasterThanItRunsIsRunInSlicesWithTheLoopTurningBetween) {
    Start();
    // A worker hands over 300 pieces of work of a millisecond each at once, as a quick device
    // does with a queue of completions.
    constexpr int kWork = 300;
    std::vector<int> order;
    std::thread worker([&] {
        for (int i = 0; i < kWork; ++i) {
            Corvane::TMainThreadBridge::Instance().Post([&order, i] {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                order.push_back(i);
            });
        }
    });
    worker.join();

    // One turn of the event loop runs one slice, not the whole flood.
    QCoreApplication::processEvents();
    EXPECT_GT(order.size(), 0u);
    EXPECT_LT(order.size(), static_cast<std::size_t>(kWork) / 2);
    // A timer that is due now fires before the flood has been worked off.
    std::size_t doneWhenTimerFired = 0;
    QTimer::singleShot(0, [&] { doneWhenTimerFired = order.size(); });
    ASSERT_TRUE(RunEventLoopUntil([&] { return order.size() == kWork; }, 10000));
    EXPECT_LT(doneWhenTimerFired, static_cast<std::size_t>(kWork));
    for (int i = 0; i < kWork; ++i) {
        ASSERT_EQ(order[static_cast<std::size_t>(i)], i) << "the work ran out of order";
    }
}

} // namespace
