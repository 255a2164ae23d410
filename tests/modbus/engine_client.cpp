// The client on a live connection: argument checks, reply checks and decoding, event
// arguments per outcome, IDs, supervision of consecutive timeouts, and the connection's
// property rules.
#include "EngineFixture.h"
#include "TestStopwatch.h"

#include "CorvaneError.h"

#include <fcntl.h>

#include <string>

using namespace Corvane;
using namespace TestSupport;
using namespace std::chrono_literals;

namespace {

template <typename F>
std::string ErrorText(F&& f) {
    try {
        f();
    } catch (const ECorvaneError& e) {
        return e.what();
    }
    return "<no error>";
}

// A peer that answers every request with the frame the test queued for it, in order. The
// handler owns a copy of the frames: the peer thread may outlive the test body's locals.
class QueuedReplies {
public:
    void Add(Bytes frame) { FReplies.push_back(std::move(frame)); }
    ScriptedPeer::Handler Handler() const {
        return [replies = FReplies](const Bytes&, int index) -> std::vector<PeerReply> {
            if (index < static_cast<int>(replies.size())) {
                return {{replies[static_cast<std::size_t>(index)]}};
            }
            return {};
        };
    }

private:
    std::vector<Bytes> FReplies;
};

} // namespace

using ClientChecks = EngineFixture;

TEST_F(ClientChecks, CountsThenAddressRangesAreCheckedBeforeAnythingIsQueued) {
    StartPeer([](const Bytes&, int) { return std::vector<PeerReply>{}; });
    Open();
    EXPECT_EQ(ErrorText([&] { Client.ReadCoils(0, 0, 0); }),
              "Discrete i/o count must be between 1 and 2048");
    EXPECT_EQ(ErrorText([&] { Client.ReadCoils(0, 2049, 0); }),
              "Discrete i/o count must be between 1 and 2048");
    EXPECT_EQ(ErrorText([&] { Client.ReadHoldingRegisters(0, 129, 0); }),
              "SSS Register count must be between 1 and 128");
    EXPECT_EQ(ErrorText([&] { Client.ReadInputRegisters(65535, 2, 0); }),
              "Starting register index is invalid (65535)");
    EXPECT_EQ(ErrorText([&] { Client.WriteMultipleCoils(0, {}, 0); }),
              "Discrete i/o count must be between 1 and 2016");
    EXPECT_EQ(ErrorText([&] { Client.WriteMultipleCoils(65530, TBitValues(7), 0); }),
              "Starting discrete i/o index is invalid (65530)");
    EXPECT_EQ(ErrorText([&] { Client.WriteMultipleRegisters(0, TRegValues(127), 0); }),
              "SSS Register count must be between 1 and 126");
    EXPECT_EQ(ErrorText([&] { Client.ReadWriteMultipleRegisters(0, 128, 0, TRegValues(125), 0); }),
              "SSS Register count must be between 1 and 124");
    EXPECT_EQ(ErrorText([&] { Client.ReadWriteMultipleRegisters(0, 1, 65535, TRegValues(2), 0); }),
              "Starting register index is invalid (65535)");
    EXPECT_EQ(Connection.PendingTransactionCount(), 0);
    PumpFor(50ms);
    EXPECT_EQ(Peer->RequestCount(), 0);

    EXPECT_NO_THROW(Client.ReadInputRegisters(65535, 1, 0));
    EXPECT_NO_THROW(Client.ReadCoils(0, 2048, 0));
}

TEST_F(ClientChecks, BroadcastLimitsAreTheWriteLimits) {
    Open();
    EXPECT_EQ(ErrorText([&] { Connection.BroadcastMultipleRegistersWrite(0, TRegValues(127), 0); }),
              "SSS Register count must be between 1 and 126");
    EXPECT_NO_THROW(Connection.BroadcastMultipleRegistersWrite(65410, TRegValues(126), 0));
    EXPECT_EQ(
        ErrorText([&] { Connection.BroadcastMultipleRegistersWrite(65411, TRegValues(126), 0); }),
        "Starting register index is invalid (65411)");
    EXPECT_EQ(ErrorText([&] { Connection.BroadcastMultipleCoilsWrite(0, TBitValues(2017), 0); }),
              "Discrete i/o count must be between 1 and 2016");
}

TEST_F(ClientChecks, NoActiveConnectionIsReportedBeforeTheArguments) {
    EXPECT_EQ(ErrorText([&] { Client.ReadCoils(0, 0, 0); }), "There is no active connection");
    EXPECT_EQ(ErrorText([&] { Connection.BroadcastSingleCoilWrite(0, true, 0); }),
              "Connection MUST be active for the requested action to be performed");
    std::string inAfterOpen;
    bool activeInAfterOpen = true;
    Connection.OnAfterOpen = [&](TModbusConnection& c) {
        activeInAfterOpen = c.Active();
        inAfterOpen = ErrorText([&] { Client.ReadCoils(0, 1, 0); });
    };
    Open();
    EXPECT_FALSE(activeInAfterOpen);
    EXPECT_EQ(inAfterOpen, "There is no active connection");
}

TEST_F(ClientChecks, RequestsGetConsecutiveIdsAndExactBytes) {
    StartPeer([](const Bytes&, int) { return std::vector<PeerReply>{}; });
    Connection.SetMaxRetries(1);
    Open();
    const auto a = Client.ReadHoldingRegisters(100, 2, 0);
    const auto b = Client.WriteMultipleCoils(
        19, {true, false, true, true, false, false, true, true, true, false}, 0);
    EXPECT_EQ(b, a + 1);
    PumpUntil([&] { return Peer->RequestCount() >= 2; });
    const auto requests = Peer->Requests();
    EXPECT_EQ(requests[0], (Bytes{0x01, 0x03, 0x00, 0x64, 0x00, 0x02, 0x85, 0xD4}));
    EXPECT_EQ(requests[1],
              (Bytes{0x01, 0x0F, 0x00, 0x13, 0x00, 0x0A, 0x02, 0xCD, 0x01, 0x72, 0xCB}));
}

using ClientReplies = EngineFixture;

TEST_F(ClientReplies, ByteCountRulesOfRegisterReads) {
    QueuedReplies replies;
    replies.Add(RtuFrame({0x01, 0x03, 0x05, 0x00, 0x01, 0x00, 0x02, 0xFF}));       // 2*2+1 passes
    replies.Add(RtuFrame({0x01, 0x03, 0x06, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03})); // 3 != 2
    replies.Add(RtuFrame({0x01, 0x03, 0x04, 0x00, 0x01})); // announces more than arrived
    StartPeer(replies.Handler());
    Open();
    for (int i = 0; i < 3; ++i) {
        Client.ReadHoldingRegisters(0, 2, 0);
    }
    ASSERT_TRUE(WaitForCompletions(3));
    EXPECT_EQ(Completions[0].Info.Status, rsNormalResponse);
    EXPECT_EQ(Completions[0].Values, (TRegValues{1, 2}));
    EXPECT_EQ(Completions[1].Info.Status, rsUnmatched);
    EXPECT_EQ(Completions[1].Values, (TRegValues{0, 0}));
    EXPECT_EQ(Completions[2].Info.Status, rsUnmatched) << "never read past the received frame";
    EXPECT_EQ(Completions[2].Values, (TRegValues{0, 0}));
}

TEST_F(ClientReplies, MaximumReadCountsCanNeverPassTheByteCountCheck) {
    QueuedReplies replies;
    Bytes body = {0x01, 0x03, 0x00};
    body.resize(3 + 256, 0x11);
    replies.Add(RtuFrame(body));
    StartPeer(replies.Handler());
    Open();
    Client.ReadHoldingRegisters(0, 128, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsUnmatched);
}

TEST_F(ClientReplies, CoilsAndEchoedWrites) {
    QueuedReplies replies;
    replies.Add(RtuFrame({0x01, 0x01, 0x02, 0x0D, 0x02}));
    replies.Add(RtuFrame({0x01, 0x05, 0x00, 0x0A, 0x00, 0x00})); // echoes 0000 for FF00
    replies.Add(RtuFrame({0x01, 0x16, 0x00, 0x04, 0x00, 0xF2, 0x00, 0x25}));
    StartPeer(replies.Handler());
    Open();
    TBitValues coils;
    TTransactionInfo coilInfo{}, writeInfo{}, maskInfo{};
    bool writtenValue = false;
    Client.OnCoilsRead = [&](TModbusClient&, const TTransactionInfo& info, std::uint16_t start,
                             std::uint16_t count, const TBitValues& v) {
        EXPECT_EQ(start, 19);
        EXPECT_EQ(count, 10);
        coils = v;
        coilInfo = info;
    };
    Client.OnSingleCoilWrite = [&](TModbusClient&, const TTransactionInfo& info, std::uint16_t,
                                   bool value) {
        writeInfo = info;
        writtenValue = value;
    };
    Client.OnSingleRegisterMaskWrite = [&](TModbusClient&, const TTransactionInfo& info,
                                           std::uint16_t, std::uint16_t, std::uint16_t) {
        maskInfo = info;
        Completions.push_back({info, {}});
    };
    Client.ReadCoils(19, 10, 0);
    Client.WriteSingleCoil(10, true, 0);
    Client.MaskWriteSingleRegister(4, 0xF2, 0x25, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(coilInfo.Status, rsNormalResponse);
    EXPECT_EQ(coils,
              (TBitValues{true, false, true, true, false, false, false, false, false, true}));
    EXPECT_EQ(writeInfo.Status, rsUnmatched);
    EXPECT_TRUE(writtenValue) << "the event reports the value that was requested";
    EXPECT_EQ(maskInfo.Status, rsNormalResponse);
}

TEST_F(ClientReplies, DiagnosticsIdentificationAndExceptionStatus) {
    QueuedReplies replies;
    replies.Add(RtuFrame({0x01, 0x08, 0x00, 0x01, 0xFF, 0x00}));
    replies.Add(RtuFrame({0x01, 0x08, 0x00, 0x00, 0x12, 0x34})); // wrong echo of A537
    replies.Add(RtuFrame({0x01, 0x08, 0x00, 0x0B, 0x00, 0x2A}));
    replies.Add(RtuFrame({0x01, 0x91, 0x01}));
    replies.Add(RtuFrame({0x01, 0x07, 0x81}));
    StartPeer(replies.Handler());
    Open();
    std::vector<std::pair<TDiagnosticAction, std::uint16_t>> diagnostics;
    std::vector<TReplyStatus> statuses;
    Client.OnDiagnostics = [&](TModbusClient&, const TTransactionInfo& info, TDiagnosticAction a,
                               std::uint16_t r) {
        diagnostics.emplace_back(a, r);
        statuses.push_back(info.Status);
    };
    std::int32_t idCount = -1;
    Client.OnServerIdentificationReport = [&](TModbusClient&, const TTransactionInfo& info,
                                              std::int32_t count,
                                              const TServerIdentificationData& d) {
        idCount = count;
        EXPECT_TRUE(d.empty());
        statuses.push_back(info.Status);
    };
    TExceptionStatusValues status;
    Client.OnExceptionStatusRead = [&](TModbusClient&, const TTransactionInfo& info,
                                       const TExceptionStatusValues& v) {
        status = v;
        Completions.push_back({info, {}});
    };
    Client.Diagnostics(daRestartCommsOptionAndClearEventLog, 0);
    Client.Diagnostics(daReturnQueryData, 0);
    Client.Diagnostics(daReturnBusMessageCount, 0);
    Client.ReportServerID(0);
    Client.ReadExceptionStatus(0);
    ASSERT_TRUE(WaitForCompletions(1));
    ASSERT_EQ(diagnostics.size(), 3u);
    EXPECT_EQ(diagnostics[0].first, daRestartCommsOptionAndClearEventLog);
    EXPECT_EQ(statuses[0], rsNormalResponse);
    EXPECT_EQ(diagnostics[1], std::make_pair(daReturnQueryData, std::uint16_t{0}));
    EXPECT_EQ(statuses[1], rsUnmatched);
    EXPECT_EQ(diagnostics[2], std::make_pair(daReturnBusMessageCount, std::uint16_t{42}));
    EXPECT_EQ(idCount, 0);
    EXPECT_EQ(statuses[3], rsExceptionResponse);
    EXPECT_EQ(status,
              (TExceptionStatusValues{true, false, false, false, false, false, false, true}));
}

TEST_F(ClientReplies, AsciiFramingAtSevenDataBitsRoundTrips) {
    // Real ASCII peers on a pty cannot run 7E1 (a pty keeps no character format); the
    // connection must still open at 7E1 and frame requests and replies in ASCII.
    Connection.SetTransmissionMode(tmASCII);
    Connection.SetDataBits(db7);
    Connection.SetParity(psEven);
    QueuedReplies replies;
    replies.Add(AsciiFrame({0x01, 0x03, 0x04, 0x12, 0x34, 0xAB, 0xCD}));
    StartPeer(replies.Handler());
    Open();
    Client.ReadHoldingRegisters(100, 2, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsNormalResponse);
    EXPECT_EQ(Completions[0].Values, (TRegValues{0x1234, 0xABCD}));
    EXPECT_EQ(Peer->Requests().at(0), ToBytes(":01030064000296\r\n"));
}

TEST_F(ClientReplies, TranslateExceptionCodeAndItsHandler) {
    EXPECT_EQ(Client.TranslateExceptionCode(2), "Illegal data address");
    EXPECT_EQ(Client.TranslateExceptionCode(200), "Unknown exception code");
    Client.OnTranslateExceptionCode = [](TModbusClient&, std::uint8_t code, std::string& text) {
        if (code == 200) {
            text = "Vendor specific";
        }
    };
    EXPECT_EQ(Client.TranslateExceptionCode(200), "Vendor specific");
}

TEST_F(ClientReplies, AFaultOfOursReachesTheExceptionHandlerNotTheCompletionEvent) {
    // A hand-built Read File Record whose byte count announces a sub-request that is not in
    // the request; the peer answers with a reply that would match such a request.
    QueuedReplies replies;
    replies.Add(RtuFrame({0x01, 0x14, 0x06, 0x05, 0x06, 0x0D, 0xFE, 0x00, 0x20}));
    StartPeer(replies.Handler());
    std::vector<std::string> reported;
    TMainThreadBridge::Instance().SetExceptionHandler(
        [&](const std::exception& e) { reported.emplace_back(e.what()); });
    int fileEvents = 0;
    Client.OnFileRecordRead = [&](TModbusClient&, const TTransactionInfo&,
                                  const TModbusFileRecordList&) { ++fileEvents; };
    Open();
    auto t = std::make_unique<TModbusTransaction>(Connection.QueryBufferSize());
    for (std::uint8_t b : {0x01, 0x14, 0x07}) {
        t->Query.WriteByte(b);
    }
    t->Info.ID = Connection.NextTransactionID();
    t->Info.ServerAddress = 1;
    Connection.Submit(t, &Client);
    PumpUntil([&] { return !reported.empty(); }, 3000ms);
    PumpFor(50ms);
    TMainThreadBridge::Instance().SetExceptionHandler(nullptr);
    EXPECT_EQ(reported, std::vector<std::string>{"Internal error"});
    EXPECT_EQ(fileEvents, 0);
    EXPECT_EQ(Received.size(), 1u) << "the peer's reply did arrive";
}

using Supervision = EngineFixture;

TEST_F(Supervision, ThreeAttemptsPerTransactionTripsTheLimitOfFiveOnTheSecond) {
    Connection.SetReceiveTimeout(60);
    StartPeer([](const Bytes&, int) { return std::vector<PeerReply>{}; });
    Open();
    Client.SetMaxConsecutiveTimeouts(5);
    int exceeded = 0;
    Client.OnConsecutiveTimeoutLimitExceed = [&](TModbusClient&) { ++exceeded; };
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Client.ConsecutiveTimeouts(), 3u);
    EXPECT_EQ(exceeded, 0);
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(WaitForCompletions(2));
    EXPECT_EQ(exceeded, 1);
    EXPECT_EQ(Client.ConsecutiveTimeouts(), 0u);

    Client.SetMaxConsecutiveTimeouts(-7);
    EXPECT_EQ(Client.MaxConsecutiveTimeouts(), -1);
}

using ConnectionProperties = EngineFixture;

TEST_F(ConnectionProperties, LiveAndLockedSettersWhileActive) {
    Open();
    Connection.SetBaudRate(br9600);
    EXPECT_TRUE(Connection.Active());
    EXPECT_EQ(Connection.SilentTime(), 16u);
    Connection.SetBaudRate(br1200);
    EXPECT_EQ(Connection.SilentTime(), 34u) << "recomputed live";
    EXPECT_EQ(ErrorText([&] { Connection.SetPort("/dev/null"); }),
              "Connection must NOT be active for the requested action to be performed");
    EXPECT_EQ(Connection.Port(), Pty.SlavePath());
    Connection.SetCustomBaudRate(9600);
    EXPECT_EQ(Connection.BaudRate(), brCustom);
    EXPECT_EQ(ErrorText([&] { Connection.SetMaxRetries(0); }),
              "SSS Value must be between 1 and 4294967295");
    EXPECT_EQ(Connection.MaxRetries(), 3u);
}

TEST_F(ConnectionProperties, CustomBaudRateZeroFailsTheOpenClearly) {
    Connection.SetCustomBaudRate(0);
    EXPECT_EQ(ErrorText([&] { Open(); }), "Custom baud rate must be greater than 0");
    EXPECT_FALSE(Connection.Active());
    Connection.SetCustomBaudRate(12345);
    EXPECT_NO_THROW(Open());
}

TEST_F(ConnectionProperties, MissingPortAndHookedPorts) {
    Connection.SetPort("/dev/does-not-exist-42");
    std::vector<std::string> log;
    Connection.OnBeforeOpen = [&](TModbusConnection&) { log.push_back("before"); };
    Connection.OnAfterOpen = [&](TModbusConnection&) { log.push_back("after"); };
    EXPECT_EQ(ErrorText([&] { Open(); }), "Could not open serial port");
    EXPECT_FALSE(Connection.Active());
    EXPECT_EQ(log, std::vector<std::string>{"before"});

    Connection.SetHookExistingPort(true);
    EXPECT_EQ(ErrorText([&] { Open(); }), "Could not open serial port") << "no handler";
    Connection.OnGetHookedPortHandle = [&](TModbusConnection&, std::uintptr_t& h) {
        h = static_cast<std::uintptr_t>(Pty.SlaveFd());
    };
    Open();
    EXPECT_TRUE(Connection.Active());
    Connection.SetActive(false);
    EXPECT_NE(::fcntl(Pty.SlaveFd(), F_GETFD), -1) << "a hooked handle is never closed";
}

TEST_F(ConnectionProperties, LoadingDefersTheOpenAndReportsItsError) {
    std::string reported;
    TMainThreadBridge::Instance().SetExceptionHandler(
        [&](const std::exception& e) { reported = e.what(); });
    Connection.BeginLoading();
    Connection.SetActive(true);
    EXPECT_FALSE(Connection.Active());
    Connection.EndLoading();
    EXPECT_TRUE(Connection.Active());
    Connection.SetActive(false);

    Connection.SetPort("/dev/does-not-exist-42");
    Connection.BeginLoading();
    Connection.SetActive(true);
    EXPECT_NO_THROW(Connection.EndLoading());
    EXPECT_EQ(reported, "Could not open serial port");
    TMainThreadBridge::Instance().SetExceptionHandler(nullptr);
}
