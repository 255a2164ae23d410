// The server over a pseudo-terminal: dispatch and replies on the line, and the stop and
// line-loss behaviour of a server-mode connection. Request processing on buffers alone is in
// unit_server.cpp.
#include "EngineFixture.h"
#include "MapServer.h"
#include "TestStopwatch.h"

#include "ModbusServer.h"

#include <thread>

using namespace Corvane;
using namespace TestSupport;
using namespace std::chrono_literals;

class ServerOnTheLine : public ::testing::Test {
protected:
    void SetUp() override {
        TMainThreadBridge::Instance().AdoptCurrentThread();
        Connection.SetPort(Pty.SlavePath());
        Connection.SetConnectionMode(cmServer);
        A.Server.SetConnection(&Connection);
        Connection.OnInvalidFrameDiscard = [this](TModbusConnection&) { ++InvalidFrames; };
        A.Registers = {{0, 0x1234}};
    }
    void TearDown() override { Connection.SetActive(false); }

    // The worker purges the line as it starts: give it that moment before the peer talks.
    void Open() {
        Connection.SetActive(true);
        PumpFor(std::chrono::milliseconds(100));
    }

    Bytes Exchange(const Bytes& request) {
        Pty.PeerWrite(request);
        Bytes reply;
        PumpUntil(
            [&] {
                const Bytes more = Pty.PeerRead(512, std::chrono::milliseconds(1));
                reply.insert(reply.end(), more.begin(), more.end());
                return reply.size() >= 7;
            },
            2000ms);
        return reply;
    }

    PtyPair Pty;
    TModbusConnection Connection;
    MapServer A;
    int InvalidFrames = 0;
};

TEST_F(ServerOnTheLine, AnswersAndIgnoresOtherAddressesAndBadFrames) {
    Open();
    EXPECT_EQ(Exchange(RtuFrame({0x01, 0x03, 0, 0, 0, 1})),
              RtuFrame({0x01, 0x03, 0x02, 0x12, 0x34}));
    Pty.PeerWrite(RtuFrame({0x05, 0x03, 0, 0, 0, 1}));
    Bytes corrupt = RtuFrame({0x01, 0x03, 0, 0, 0, 1});
    corrupt[2] ^= 1;
    PumpFor(200ms);
    Pty.PeerWrite(corrupt);
    PumpUntil([&] { return InvalidFrames >= 1; }, 2000ms);
    PumpFor(100ms);
    EXPECT_TRUE(Pty.PeerRead(64, 100ms).empty()) << "nothing on the wire for either";
    EXPECT_EQ(InvalidFrames, 1);
}

TEST_F(ServerOnTheLine, CloseDuringADispatchReturnsPromptly) {
    bool inHandler = false;
    A.Server.OnGetHoldingRegisterValue = [&](TModbusServer&, std::uint16_t, std::uint16_t& v) {
        inHandler = true;
        // Closing from inside a dispatch is the hardest case: the worker waits for us.
        Connection.SetActive(false);
        v = 1;
    };
    Open();
    Stopwatch watch;
    Pty.PeerWrite(RtuFrame({0x01, 0x03, 0, 0, 0, 1}));
    PumpUntil([&] { return inHandler && !Connection.Active(); }, 3000ms);
    EXPECT_FALSE(Connection.Active());
    EXPECT_LT(watch.ElapsedMs(), 2000);
}

TEST_F(ServerOnTheLine, CloseWhileListeningReturnsPromptlyWithoutEvents) {
    Open();
    PumpFor(100ms);
    Stopwatch watch;
    Connection.SetActive(false);
    EXPECT_LT(watch.ElapsedMs(), 500);
    const int before = InvalidFrames;
    PumpFor(100ms);
    EXPECT_EQ(InvalidFrames, before) << "no event after close";
}

TEST_F(ServerOnTheLine, LostLineNeitherSpinsNorFloods) {
    Open();
    Pty.CloseMaster();
    PumpFor(100ms);
    const auto cpuBefore = ProcessCpuTime();
    const int framesBefore = InvalidFrames;
    PumpFor(1000ms);
    const auto cpu = ProcessCpuTime() - cpuBefore;
    EXPECT_LT(cpu.count(), 100000) << "CPU time in microseconds over one second";
    EXPECT_LE(InvalidFrames - framesBefore, 2) << "no flood of invalid-frame events";
    EXPECT_TRUE(Connection.LineLost());
    Stopwatch watch;
    Connection.SetActive(false);
    EXPECT_LT(watch.ElapsedMs(), 1500);
}

TEST(ServerClose, DispatchAbandonedByAStoppingWorkerNeverReachesTheDestroyedConnection) {
    TMainThreadBridge& bridge = TMainThreadBridge::Instance();
    bridge.AdoptCurrentThread();
    bridge.Drain();
    PtyPair pty;
    MapServer a;
    a.Registers = {{0, 0x1234}};
    int dispatched = 0;
    a.Server.OnGetHoldingRegisterValue = [&](TModbusServer&, std::uint16_t, std::uint16_t& v) {
        ++dispatched;
        v = 1;
    };
    auto connection = std::make_unique<TModbusConnection>();
    connection->SetPort(pty.SlavePath());
    connection->SetConnectionMode(cmServer);
    a.Server.SetConnection(connection.get());
    connection->SetActive(true);
    std::this_thread::sleep_for(100ms); // the worker purges the line as it starts

    // A request arrives while the main thread is busy: the worker's dispatch waits on the bridge.
    pty.PeerWrite(RtuFrame({0x01, 0x03, 0, 0, 0, 1}));
    std::this_thread::sleep_for(200ms);
    // The connection is closed and destroyed with no drain in between, as happens when its
    // worker gives the call up just after the main thread's last look at the bridge. (Another
    // thread does it here only to keep the main thread from draining.)
    std::thread([&] { connection.reset(); }).join();
    bridge.Drain();
    EXPECT_EQ(dispatched, 0) << "an abandoned dispatch ran on a destroyed connection";
}
