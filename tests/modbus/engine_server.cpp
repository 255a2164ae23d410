// The server: request processing without any line traffic (requests built in a buffer and
// handed to ProcessRequest), dispatch and replies over a pseudo-terminal, and the stop and
// line-loss behaviour of a server-mode connection.
#include "EngineFixture.h"
#include "TestStopwatch.h"

#include "CorvaneError.h"
#include "ModbusServer.h"

#include <map>
#include <stdexcept>
#include <thread>

using namespace Corvane;
using namespace TestSupport;
using namespace std::chrono_literals;

namespace {

// A server whose items live in plain maps; every event is recorded.
struct MapServer {
    TModbusServer Server;
    std::map<std::uint16_t, bool> Coils;
    std::map<std::uint16_t, std::uint16_t> Registers;
    std::vector<std::string> Events;
    int ThrowOnSetNumber = -1; // the n-th set raises
    int Sets = 0;

    MapServer() {
        Server.OnAcceptCommand = [](TModbusServer&, std::uint8_t, bool& accept) { accept = true; };
        Server.OnCanReadCoil = [this](TModbusServer&, std::uint16_t a, bool& allow) {
            Events.push_back("can-read-coil " + std::to_string(a));
            allow = Coils.count(a) != 0;
        };
        Server.OnGetCoilValue = [this](TModbusServer&, std::uint16_t a, bool& v) {
            Events.push_back("get-coil " + std::to_string(a));
            v = Coils.at(a);
        };
        Server.OnCanReadHoldingRegister = [this](TModbusServer&, std::uint16_t a, bool& allow) {
            allow = Registers.count(a) != 0;
        };
        Server.OnGetHoldingRegisterValue = [this](TModbusServer&, std::uint16_t a,
                                                  std::uint16_t& v) { v = Registers.at(a); };
        Server.OnCanWriteCoil = [this](TModbusServer&, std::uint16_t a, bool, TItemWriteStatus& s) {
            Events.push_back("can-write-coil " + std::to_string(a));
            s = Coils.count(a) != 0 ? iwsAllowWrite : iwsIllegalAddress;
        };
        Server.OnSetCoilValue = [this](TModbusServer&, std::uint16_t a, bool v) { Coils[a] = v; };
        Server.OnCanWriteHoldingRegister = [this](TModbusServer&, std::uint16_t a, std::uint16_t v,
                                                  TItemWriteStatus& s) {
            s = Registers.count(a) == 0 ? iwsIllegalAddress
                : v > 1000              ? iwsIllegalValue
                                        : iwsAllowWrite;
        };
        Server.OnSetHoldingRegisterValue = [this](TModbusServer&, std::uint16_t a,
                                                  std::uint16_t v) {
            if (Sets++ == ThrowOnSetNumber) {
                throw std::runtime_error("device busy");
            }
            Registers[a] = v;
        };
        Server.OnCommandHandlerException = [this](TModbusServer&, std::uint8_t c, TServerException,
                                                  std::uint8_t code) {
            Events.push_back("exception " + std::to_string(c) + " " + std::to_string(code));
        };
    }
};

class ServerRequests : public ::testing::Test {
protected:
    void SetUp() override {
        TMainThreadBridge::Instance().AdoptCurrentThread();
        Connection.SetPort(Pty.SlavePath());
        Connection.SetConnectionMode(cmServer);
        A.Server.SetConnection(&Connection);
        Connection.SetActive(true);
    }
    void TearDown() override { Connection.SetActive(false); }

    // Processes a request (address, function, data) and returns the reply message (no check:
    // the framing adds it on the wire); empty when nothing is to be sent.
    Bytes Process(const Bytes& body, TModbusServer& server) {
        TModbusTransaction t(Connection.QueryBufferSize());
        for (auto b : body) {
            t.Query.WriteByte(b);
        }
        t.Info.ServerAddress = body[0];
        server.ProcessRequest(t);
        return Bytes(t.Reply.Data(), t.Reply.Data() + t.Reply.Size());
    }
    Bytes Process(const Bytes& body) { return Process(body, A.Server); }

    PtyPair Pty;
    TModbusConnection Connection;
    MapServer A;
};

} // namespace

TEST_F(ServerRequests, WithoutAnAcceptHandlerEveryCommandIsIllegal) {
    TModbusServer bare;
    bare.SetConnection(&Connection);
    EXPECT_EQ(Process({0x01, 0x03, 0, 0, 0, 1}, bare), (Bytes{0x01, 0x83, 0x01}));
}

TEST_F(ServerRequests, UnservedFunctionsAreRefusedWithoutAsking) {
    bool asked = false;
    A.Server.OnAcceptCommand = [&](TModbusServer&, std::uint8_t, bool& accept) {
        asked = true;
        accept = true;
    };
    EXPECT_EQ(Process({0x01, 0x07}), (Bytes{0x01, 0x87, 0x01}));
    EXPECT_EQ(Process({0x01, 0x11}), (Bytes{0x01, 0x91, 0x01}));
    EXPECT_FALSE(asked);
}

TEST_F(ServerRequests, ReadCountAndRangeRules) {
    A.Registers = {{0, 5}, {65535, 9}};
    EXPECT_EQ(Process({0x01, 0x03, 0, 0, 0, 0}), (Bytes{0x01, 0x83, 0x03}));
    EXPECT_EQ(Process({0x01, 0x03, 0, 0, 0, 129}), (Bytes{0x01, 0x83, 0x03}));
    EXPECT_EQ(Process({0x01, 0x03, 0xFF, 0xFF, 0, 2}), (Bytes{0x01, 0x83, 0x02}));
    EXPECT_EQ(Process({0x01, 0x03, 0xFF, 0xFF, 0, 1}), (Bytes{0x01, 0x03, 0x02, 0x00, 0x09}));
    EXPECT_EQ(Process({0x01, 0x03, 0, 0}), (Bytes{0x01, 0x83, 0x03}))
        << "a request shorter than its fields";
}

TEST_F(ServerRequests, RefusedThirdCoilAsksNoValue) {
    A.Coils = {{10, true}, {11, false}};
    EXPECT_EQ(Process({0x01, 0x01, 0, 10, 0, 3}), (Bytes{0x01, 0x81, 0x02}));
    for (const std::string& e : A.Events) {
        EXPECT_EQ(e.rfind("get-coil", 0), std::string::npos) << e;
    }
    A.Events.clear();
    EXPECT_EQ(Process({0x01, 0x01, 0, 10, 0, 2}), (Bytes{0x01, 0x01, 0x01, 0x01}));
}

TEST_F(ServerRequests, LargestReadsFillTheBuffer) {
    for (std::uint16_t a = 0; a < 128; ++a) {
        A.Registers[a] = a;
    }
    const Bytes reply = Process({0x01, 0x03, 0, 0, 0, 128});
    ASSERT_EQ(reply.size(), 3u + 256u);
    EXPECT_EQ(reply[2], 0x00) << "256 data bytes: the byte count carries its low 8 bits";
    EXPECT_EQ(reply[3 + 2 * 127 + 1], 127);
}

TEST_F(ServerRequests, SingleCoilValueMustBeOnOrOff) {
    A.Coils = {{4, false}};
    EXPECT_EQ(Process({0x01, 0x05, 0, 4, 0x12, 0x34}), (Bytes{0x01, 0x85, 0x03}));
    EXPECT_TRUE(A.Events.empty() || A.Events.back().rfind("can-write", 0) != 0)
        << "the permission was not asked";
    EXPECT_EQ(Process({0x01, 0x05, 0, 4, 0xFF, 0x00}), (Bytes{0x01, 0x05, 0, 4, 0xFF, 0x00}));
    EXPECT_TRUE(A.Coils[4]);
}

TEST_F(ServerRequests, WriteStatusesMapToExceptionCodes) {
    A.Registers = {{1, 0}};
    EXPECT_EQ(Process({0x01, 0x06, 0, 2, 0, 1}), (Bytes{0x01, 0x86, 0x02}));
    EXPECT_EQ(Process({0x01, 0x06, 0, 1, 0x10, 0}), (Bytes{0x01, 0x86, 0x03}));
    EXPECT_EQ(Process({0x01, 0x06, 0, 1, 0, 7}), (Bytes{0x01, 0x06, 0, 1, 0, 7}));
    EXPECT_EQ(A.Registers[1], 7);
}

TEST_F(ServerRequests, FailingSecondSetAnswers04AndKeepsTheFirst) {
    A.Registers = {{0, 0}, {1, 0}};
    A.ThrowOnSetNumber = 1;
    EXPECT_EQ(Process({0x01, 0x10, 0, 0, 0, 2, 4, 0, 11, 0, 22}), (Bytes{0x01, 0x90, 0x04}));
    EXPECT_EQ(A.Registers[0], 11);
    EXPECT_EQ(A.Registers[1], 0);
}

TEST_F(ServerRequests, MultipleWriteShorterThanItsQuantityIsRefused) {
    A.Registers = {{0, 0}, {1, 0}, {2, 0}};
    EXPECT_EQ(Process({0x01, 0x10, 0, 0, 0, 3, 6, 0, 1, 0, 2}), (Bytes{0x01, 0x90, 0x03}));
    EXPECT_EQ(A.Registers[0], 0) << "nothing was written";
    EXPECT_EQ(Process({0x01, 0x10, 0, 0, 0, 127, 254}), (Bytes{0x01, 0x90, 0x03}));
    A.Coils = {{0, false}, {1, false}};
    EXPECT_EQ(Process({0x01, 0x0F, 0, 0, 0, 2, 1, 0x03}), (Bytes{0x01, 0x0F, 0, 0, 0, 2}));
    EXPECT_TRUE(A.Coils[0] && A.Coils[1]);
}

TEST_F(ServerRequests, BroadcastRunsInEveryServerAndSendsNothing) {
    MapServer b;
    b.Server.SetAddress(2);
    b.Server.SetConnection(&Connection);
    A.Registers = {{3, 0}};
    b.Registers = {{3, 0}};
    TModbusTransaction t(Connection.QueryBufferSize());
    for (auto x : Bytes{0x00, 0x06, 0, 3, 0, 5}) {
        t.Query.WriteByte(x);
    }
    t.Info.ServerAddress = 0;
    Connection.DispatchToServers(t);
    EXPECT_EQ(A.Registers[3], 5);
    EXPECT_EQ(b.Registers[3], 5);
    EXPECT_EQ(t.Reply.Size(), 0);

    // A refused broadcast raises no exception event either.
    TModbusTransaction refused(Connection.QueryBufferSize());
    for (auto x : Bytes{0x00, 0x06, 0, 9, 0, 5}) {
        refused.Query.WriteByte(x);
    }
    refused.Info.ServerAddress = 0;
    A.Events.clear();
    Connection.DispatchToServers(refused);
    EXPECT_EQ(refused.Reply.Size(), 0);
    EXPECT_TRUE(A.Events.empty());
}

TEST_F(ServerRequests, AddressRangeOfTheServer) {
    for (int bad : {0, 248}) {
        try {
            A.Server.SetAddress(static_cast<std::uint8_t>(bad));
            FAIL();
        } catch (const ECorvaneError& e) {
            EXPECT_STREQ(e.what(), "SSS Value must be between 1 and 247");
        }
    }
    EXPECT_EQ(A.Server.Address(), 1);
}

// --- Over the line -------------------------------------------------------------------------

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
