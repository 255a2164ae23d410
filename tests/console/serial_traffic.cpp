// The traffic capture end to end: a connection on a pseudo-terminal pair with a scripted peer,
// its frame tap drained and annotated as the traffic view and the CLI's trace do. Every
// function code the client sends and its reply, echoes, exceptions, a corrupted frame, a
// reply from another server, a timeout, the stamps against the peer's own clock, and the line
// statistics of a scripted mix.
#include "EngineFixture.h"
#include "MapServer.h"

#include "FunctionCodes.h"
#include "LineStatistics.h"
#include "TrafficCapture.h"
#include "TrafficRow.h"

#include <gtest/gtest.h>

using namespace Corvane;
using namespace Sondrel;
using namespace TestSupport;
using namespace std::chrono_literals;

namespace {

// The normal reply of the functions the client sends, as a conforming server builds it.
Bytes NormalReply(const Bytes& request) {
    const std::uint8_t a = request[0];
    const std::uint8_t f = request[1];
    namespace Fc = FunctionCodes;
    switch (f) {
    case Fc::ReadCoils:
        return RtuFrame({a, f, 0x01, 0x05});
    case Fc::ReadDiscreteInputs:
        return RtuFrame({a, f, 0x01, 0x03});
    case Fc::ReadHoldingRegisters:
        return RtuFrame({a, f, 0x04, 0x12, 0x34, 0x00, 0x07});
    case Fc::ReadInputRegisters:
        return RtuFrame({a, f, 0x02, 0x00, 0x09});
    case Fc::ReadExceptionStatus:
        return RtuFrame({a, f, 0x6D});
    case Fc::WriteMultipleCoils:
    case Fc::WriteMultipleRegisters:
        return RtuFrame({a, f, request[2], request[3], request[4], request[5]});
    case Fc::ReportServerID:
        return RtuFrame({a, f, 0x03, 0x42, 0xFF, 0x01});
    case Fc::ReadWriteMultipleRegisters:
        return RtuFrame({a, f, 0x02, 0x00, 0x2A});
    default:
        return request; // 05, 06, 08 and 22 echo their request
    }
}

class TrafficFixture : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Connection.FrameTap().SetEnabled(true);
    }

    // Pumps until the tap has delivered at least n rows, annotating them as they come.
    bool CollectRows(std::size_t n, std::chrono::milliseconds timeout = 5000ms) {
        return PumpUntil(
            [&] {
                for (auto& row : Annotator.Annotate(Connection.FrameTap().Drain())) {
                    Rows.push_back(std::move(row));
                }
                return Rows.size() >= n;
            },
            timeout);
    }

    std::vector<std::string> Meanings() const {
        std::vector<std::string> texts;
        for (const auto& row : Rows) {
            texts.push_back(row.Meaning.Text);
        }
        return texts;
    }

    TTrafficAnnotator Annotator;
    std::vector<TTrafficRow> Rows;
};

using TrafficCapture = TrafficFixture;

TEST_F(TrafficCapture, EveryFunctionTheClientSendsAndItsReplyAreDecoded) {
    StartPeer([](const Bytes& request, int) -> std::vector<PeerReply> {
        return {{NormalReply(request)}};
    });
    Open();
    Client.ReadCoils(10, 3, 0);
    Client.ReadDiscreteInputs(20, 2, 0);
    Client.ReadHoldingRegisters(100, 2, 0);
    Client.ReadInputRegisters(200, 1, 0);
    Client.WriteSingleCoil(5, true, 0);
    Client.WriteSingleRegister(6, 4660, 0);
    Client.ReadExceptionStatus(0);
    Client.Diagnostics(daReturnQueryData, 0);
    Client.WriteMultipleCoils(7, {true, false, true}, 0);
    Client.WriteMultipleRegisters(8, {1, 65535}, 0);
    Client.ReportServerID(0);
    Client.MaskWriteSingleRegister(9, 0x00F2, 0x0025, 0);
    Client.ReadWriteMultipleRegisters(30, 1, 40, {3, 4}, 0);
    ASSERT_TRUE(CollectRows(26));
    ASSERT_EQ(Rows.size(), 26u);
    EXPECT_EQ(Sent.size(), 13u);
    for (std::size_t i = 0; i < Rows.size(); i += 2) {
        EXPECT_EQ(Rows[i].Role, trRequest);
        EXPECT_EQ(Rows[i].Frame.Kind, ckSent);
        EXPECT_EQ(Rows[i].Frame.Bytes, Sent[i / 2]) << "the captured request is what went out";
        EXPECT_EQ(Rows[i + 1].Role, trReply);
        EXPECT_EQ(Rows[i + 1].Frame.Bytes, Received[i / 2]);
        EXPECT_TRUE(Rows[i + 1].Frame.CheckGood);
        EXPECT_EQ(Rows[i + 1].Frame.Status, rsNormalResponse);
        EXPECT_EQ(Rows[i + 1].Frame.TransactionID, Rows[i].Frame.TransactionID);
        EXPECT_EQ(TrafficStatusText(Rows[i + 1]), "OK");
        EXPECT_GE(Rows[i + 1].ResponseUs, 0);
        EXPECT_GE(Rows[i + 1].GapUs, 0);
    }
    const std::vector<std::string> expected = {
        "Read Coils: server 1, start 10, count 3",
        "Read Coils reply: server 1, start 10, bits 101",
        "Read Discrete Inputs: server 1, start 20, count 2",
        "Read Discrete Inputs reply: server 1, start 20, bits 11",
        "Read Holding Registers: server 1, start 100, count 2",
        "Read Holding Registers reply: server 1, start 100, count 2, values 4660 7",
        "Read Input Registers: server 1, start 200, count 1",
        "Read Input Registers reply: server 1, start 200, count 1, values 9",
        "Write Single Coil: server 1, address 5, on",
        "Write Single Coil reply: server 1, address 5, on",
        "Write Single Register: server 1, address 6, value 4660",
        "Write Single Register reply: server 1, address 6, value 4660",
        "Read Exception Status: server 1",
        "Read Exception Status reply: server 1, bits 10110110",
        "Diagnostics: server 1, sub-function 0x0000, data 0xA537",
        "Diagnostics reply: server 1, sub-function 0x0000, data 0xA537",
        "Write Multiple Coils: server 1, start 7, count 3, bits 101",
        "Write Multiple Coils reply: server 1, start 7, count 3",
        "Write Multiple Registers: server 1, start 8, count 2, values 1 65535",
        "Write Multiple Registers reply: server 1, start 8, count 2",
        "Report Server ID: server 1",
        "Report Server ID reply: server 1, data 03 42 FF 01",
        "Mask Write Register: server 1, address 9, and 0x00F2, or 0x0025",
        "Mask Write Register reply: server 1, address 9, and 0x00F2, or 0x0025",
        "Read/Write Multiple Registers: server 1, read start 30, count 1, write start 40, "
        "count 2, values 3 4",
        "Read/Write Multiple Registers reply: server 1, start 30, count 1, values 42",
    };
    EXPECT_EQ(Meanings(), expected);
}

TEST_F(TrafficCapture, AnEchoRemovedFromTheLineIsCapturedAndMarked) {
    Connection.SetEchoQueryBeforeReply(true);
    StartPeer([](const Bytes& request, int index) -> std::vector<PeerReply> {
        if (index == 0) {
            return {{request}, {HoldingReply(1, {42}), 20ms}};
        }
        Bytes both = request;
        const Bytes reply = HoldingReply(1, {43});
        both.insert(both.end(), reply.begin(), reply.end());
        return {{both}};
    });
    Open();
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(CollectRows(3));
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(CollectRows(6));
    for (const std::size_t echo : {1u, 4u}) {
        EXPECT_EQ(Rows[echo].Role, trEcho);
        EXPECT_TRUE(Rows[echo].Frame.Echo);
        EXPECT_EQ(Rows[echo].Frame.Bytes, Rows[echo - 1].Frame.Bytes);
        EXPECT_EQ(TrafficStatusText(Rows[echo]), "Echo");
        EXPECT_EQ(Rows[echo].Meaning.Text, "Echo of Read Holding Registers: server 1, start 0, "
                                           "count 1");
        EXPECT_EQ(Rows[echo + 1].Role, trReply);
        EXPECT_EQ(Rows[echo + 1].Frame.Status, rsNormalResponse);
    }
    EXPECT_EQ(Rows[5].Frame.Bytes, HoldingReply(1, {43})) << "the reply is split from its echo";
    EXPECT_EQ(Rows[5].GapUs, 0) << "one read held both";
    EXPECT_GE(Rows[2].GapUs, 15000) << "the reply came 20 ms after its echo";
    EXPECT_GE(Rows[2].ResponseUs, Rows[2].GapUs);
    TLineStatistics stats;
    stats.Add(Rows);
    EXPECT_EQ(stats.Echoes(), 2u);
    EXPECT_EQ(stats.NormalReplies(), 2u);
    EXPECT_TRUE(stats.Hints().empty());
}

TEST_F(TrafficCapture, AnEchoingLineWithoutEchoRemovalGetsTheHint) {
    StartPeer([](const Bytes& request, int) -> std::vector<PeerReply> {
        Bytes both = request;
        const Bytes reply = HoldingReply(1, {43});
        both.insert(both.end(), reply.begin(), reply.end());
        return {{both}};
    });
    Connection.SetMaxRetries(1);
    Open();
    Client.ReadHoldingRegisters(0, 1, 0);
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(CollectRows(4));
    TLineStatistics stats;
    stats.Add(Rows);
    EXPECT_EQ(stats.Echoes(), 0u);
    EXPECT_TRUE(Rows[1].StartsWithRequest);
    ASSERT_EQ(stats.Hints().size(), 1u);
    EXPECT_EQ(stats.Hints()[0],
              "Every reply is preceded by a copy of its request: turn on echo removal");
}

TEST_F(TrafficCapture, ExceptionCorruptionOtherServerAndSilenceAreClassified) {
    Connection.SetMaxRetries(2);
    Connection.SetReceiveTimeout(150);
    StartPeer([](const Bytes& request, int index) -> std::vector<PeerReply> {
        switch (index) {
        case 0:
            return {{RtuFrame({0x01, 0x83, 0x02})}};
        case 1: {
            Bytes bad = HoldingReply(1, {5});
            bad.back() ^= 0xFF;
            return {{bad}};
        }
        case 2:
            return {{NormalReply(request)}};
        case 3:
            return {{HoldingReply(7, {5})}};
        default:
            return {};
        }
    });
    Open();
    Client.ReadHoldingRegisters(0, 1, 0); // exception
    Client.ReadHoldingRegisters(0, 2, 0); // corrupted, then good on the retry
    Client.ReadHoldingRegisters(0, 1, 0); // another server, then silence until the time-out
    ASSERT_TRUE(WaitForCompletions(3));
    ASSERT_TRUE(CollectRows(11));
    ASSERT_EQ(Rows.size(), 11u);
    EXPECT_EQ(Rows[1].Meaning.Text,
              "Read Holding Registers exception: server 1, 02 Illegal data address");
    EXPECT_TRUE(Rows[1].Meaning.Exception);
    EXPECT_EQ(TrafficStatusText(Rows[1]), "Exception");
    EXPECT_FALSE(IsTrafficFault(Rows[1]));

    EXPECT_FALSE(Rows[3].Frame.CheckGood);
    EXPECT_EQ(Rows[3].Frame.Status, rsFrameCorrupted);
    EXPECT_EQ(TrafficStatusText(Rows[3]), "Bad CRC");
    EXPECT_TRUE(IsTrafficFault(Rows[3]));
    EXPECT_EQ(Rows[4].Frame.Attempt, 2u) << "the retry is the second attempt";
    EXPECT_EQ(Rows[5].Frame.Status, rsNormalResponse);

    EXPECT_EQ(Rows[7].Frame.Status, rsMistargeted);
    EXPECT_EQ(Rows[7].Meaning.Address, 7);
    EXPECT_EQ(TrafficStatusText(Rows[7]), "Other server");
    EXPECT_TRUE(IsTrafficFault(Rows[7]));
    EXPECT_EQ(Rows[8].Role, trNoReply) << "the listen after another server's reply";
    EXPECT_EQ(Rows[9].Role, trRequest);
    EXPECT_EQ(Rows[10].Role, trNoReply);
    EXPECT_EQ(TrafficStatusText(Rows[10]), "Timeout");

    TLineStatistics stats;
    stats.Add(Rows);
    EXPECT_EQ(stats.Requests(), 5u);
    EXPECT_EQ(stats.Retries(), 2u);
    EXPECT_EQ(stats.NormalReplies(), 1u);
    EXPECT_EQ(stats.Exceptions(), 1u);
    EXPECT_EQ(stats.ExceptionsByCode().at(2), 1u);
    EXPECT_EQ(stats.Corrupted(), 1u);
    EXPECT_EQ(stats.Mistargeted(), 1u);
    EXPECT_EQ(stats.Timeouts(), 2u);
    EXPECT_EQ(stats.ResponseTimes().Count, 2u);
    const auto hints = stats.Hints();
    ASSERT_EQ(hints.size(), 1u);
    EXPECT_NE(hints[0].find("another server address (1)"), std::string::npos) << hints[0];

    stats.Reset();
    EXPECT_EQ(stats.Requests(), 0u);
    EXPECT_EQ(stats.ResponseTimes().Count, 0u);
}

TEST_F(TrafficCapture, AnUnmatchedReplyIsRedAndCounted) {
    Connection.SetMaxRetries(1);
    StartPeer([](const Bytes&, int) -> std::vector<PeerReply> {
        return {{RtuFrame({0x01, 0x04, 0x02, 0x00, 0x01})}};
    });
    Open();
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(CollectRows(2));
    EXPECT_EQ(Rows[1].Frame.Status, rsUnmatched);
    EXPECT_EQ(TrafficStatusText(Rows[1]), "Unmatched");
    EXPECT_TRUE(IsTrafficFault(Rows[1]));
    EXPECT_EQ(Rows[1].Meaning.Text, "Read Input Registers reply: server 1, count 1, values 1")
        << "a reply to another function has no start from the request";
    TLineStatistics stats;
    stats.Add(Rows);
    EXPECT_EQ(stats.Unmatched(), 1u);
    EXPECT_EQ(stats.NormalReplies(), 0u);
}

TEST_F(TrafficCapture, AsciiFramesAreCapturedAsTheirCharactersWithTheirLrc) {
    Connection.SetTransmissionMode(tmASCII);
    Connection.SetMaxRetries(2);
    StartPeer([](const Bytes&, int index) -> std::vector<PeerReply> {
        Bytes reply = AsciiFrame({0x01, 0x03, 0x02, 0x00, 0x2A});
        if (index == 0) {
            reply[reply.size() - 3] ^= 0x01; // a wrong LRC digit
        }
        return {{reply}};
    });
    Open();
    Client.ReadHoldingRegisters(7, 1, 0);
    ASSERT_TRUE(CollectRows(4));
    EXPECT_EQ(TrafficBytesText(Rows[0]), ":010300070001F4\\r\\n");
    EXPECT_EQ(Rows[0].Meaning.Text, "Read Holding Registers: server 1, start 7, count 1");
    EXPECT_FALSE(Rows[1].Frame.CheckGood);
    EXPECT_EQ(TrafficStatusText(Rows[1]), "Bad LRC");
    EXPECT_TRUE(Rows[3].Frame.CheckGood);
    EXPECT_EQ(Rows[3].Meaning.Text,
              "Read Holding Registers reply: server 1, start 7, count 1, values 42");
}

std::int64_t Us(ScriptedPeer::Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::microseconds>(t.time_since_epoch()).count();
}

TEST_F(TrafficCapture, StampsFollowThePeersOwnClock) {
    constexpr auto kDelay = 30ms;
    StartPeer([](const Bytes& request, int) -> std::vector<PeerReply> {
        return {{NormalReply(request), kDelay}};
    });
    Open();
    for (int i = 0; i < 3; ++i) {
        Client.ReadHoldingRegisters(0, 2, 0);
    }
    ASSERT_TRUE(CollectRows(6));
    const auto peerTimes = Peer->RequestTimes();
    ASSERT_EQ(peerTimes.size(), 3u);
    const std::int64_t delayUs = std::chrono::microseconds(kDelay).count();
    for (std::size_t i = 0; i < 3; ++i) {
        const TTrafficRow& request = Rows[2 * i];
        const TTrafficRow& reply = Rows[2 * i + 1];
        const std::int64_t peerSaw = Us(peerTimes[i]);
        // Causality: the request was written before the peer read it, and the reply arrived
        // after the peer's pause. The upper bounds are the resolution of a pseudo-terminal
        // line on a busy machine (a wake-up of the worker or the peer, 50 ms at most even
        // under a sanitizer).
        constexpr std::int64_t kResolutionUs = 50000;
        EXPECT_LE(request.Frame.StartUs, peerSaw);
        EXPECT_LE(request.Frame.StartUs, request.Frame.EndUs);
        EXPECT_LE(peerSaw - request.Frame.EndUs, kResolutionUs);
        EXPECT_GE(reply.Frame.StartUs, peerSaw + delayUs);
        EXPECT_LE(reply.Frame.StartUs, peerSaw + delayUs + kResolutionUs);
        EXPECT_GE(reply.GapUs, delayUs - 1000);
        EXPECT_GE(reply.ResponseUs, delayUs);
        EXPECT_EQ(reply.ResponseUs, reply.Frame.EndUs - request.Frame.EndUs);
        EXPECT_EQ(reply.GapUs, reply.Frame.StartUs - request.Frame.EndUs);
    }
    TLineStatistics stats;
    stats.Add(Rows);
    const TResponseTimes times = stats.ResponseTimes();
    EXPECT_EQ(times.Count, 3u);
    EXPECT_GE(times.MinUs, delayUs);
    EXPECT_LE(times.MinUs, times.MedianUs);
    EXPECT_LE(times.MedianUs, times.P95Us);
    EXPECT_LE(times.P95Us, times.MaxUs);
}

TEST_F(TrafficCapture, NothingIsCapturedWhileTheTapIsOff) {
    Connection.FrameTap().SetEnabled(false);
    StartPeer([](const Bytes& request, int) -> std::vector<PeerReply> {
        return {{NormalReply(request)}};
    });
    Open();
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Connection.FrameTap().Pending(), 0u);
    EXPECT_EQ(Sent.size(), 1u) << "the frame events are independent of the tap";
}

// Server mode: the requests arrive and the replies leave; a corrupted request is captured with
// its bad check and gets no reply. Server traffic is not the client's line statistics.
TEST(TrafficCaptureServer, RequestsInAndRepliesOutAreCaptured) {
    TMainThreadBridge::Instance().AdoptCurrentThread();
    PtyPair pty;
    TModbusConnection connection;
    MapServer server;
    server.Registers = {{0, 0x1234}};
    connection.SetPort(pty.SlavePath());
    connection.SetConnectionMode(cmServer);
    server.Server.SetConnection(&connection);
    connection.FrameTap().SetEnabled(true);
    connection.SetActive(true);
    PumpFor(100ms);
    Bytes corrupt = RtuFrame({0x01, 0x03, 0, 0, 0, 1});
    corrupt[2] ^= 1;
    pty.PeerWrite(corrupt);
    PumpFor(100ms);
    pty.PeerWrite(RtuFrame({0x01, 0x03, 0, 0, 0, 1}));
    TTrafficAnnotator annotator;
    std::vector<TTrafficRow> rows;
    ASSERT_TRUE(PumpUntil([&] {
        for (auto& row : annotator.Annotate(connection.FrameTap().Drain())) {
            rows.push_back(std::move(row));
        }
        return rows.size() >= 3;
    }));
    connection.SetActive(false);
    EXPECT_EQ(rows[0].Frame.Kind, ckReceived);
    EXPECT_FALSE(rows[0].Frame.CheckGood);
    EXPECT_EQ(TrafficStatusText(rows[0]), "Bad CRC");
    EXPECT_EQ(rows[1].Role, trRequest);
    EXPECT_EQ(rows[1].Meaning.Text, "Read Holding Registers: server 1, start 0, count 1");
    EXPECT_EQ(rows[2].Role, trReply);
    EXPECT_EQ(rows[2].Frame.Kind, ckSent);
    EXPECT_EQ(rows[2].Frame.Bytes, RtuFrame({0x01, 0x03, 0x02, 0x12, 0x34}));
    EXPECT_EQ(rows[2].Meaning.Text,
              "Read Holding Registers reply: server 1, start 0, count 1, values 4660");
    EXPECT_GE(rows[2].ResponseUs, 0);
    TLineStatistics stats;
    stats.Add(rows);
    EXPECT_EQ(stats.Requests(), 0u);
}

} // namespace
