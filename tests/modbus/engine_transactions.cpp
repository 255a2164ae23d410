// The transaction engine on a pseudo-terminal pair: attempts, retries, classification,
// broadcasts, echo removal, failed sends and the stop sequence.
#include "EngineFixture.h"
#include "TestStopwatch.h"

using namespace Corvane;
using namespace TestSupport;
using namespace std::chrono_literals;

namespace {

std::vector<PeerReply> Silence(const Bytes&, int) {
    return {};
}

long long MsBetween(ScriptedPeer::Clock::time_point a, ScriptedPeer::Clock::time_point b) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(b - a).count();
}

} // namespace

using Retries = EngineFixture;

TEST_F(Retries, SilentPeerGetsThreeSendsAboutOneReceiveTimeoutApart) {
    StartPeer(Silence);
    Open();
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    const TTransactionInfo& info = Completions[0].Info;
    EXPECT_EQ(info.Status, rsTimeoutExpired);
    EXPECT_EQ(info.Attempts, 3u);
    EXPECT_EQ(Sent.size(), 3u);
    EXPECT_TRUE(Received.empty());
    const auto times = Peer->RequestTimes();
    ASSERT_EQ(times.size(), 3u);
    for (int i = 1; i < 3; ++i) {
        const auto gap = MsBetween(times[i - 1], times[i]);
        EXPECT_GE(gap, 150) << "the next send waits for the receive timeout";
        EXPECT_LT(gap, 800);
    }
}

TEST_F(Retries, CorruptReplyThenGoodReplyTakesTwoAttempts) {
    StartPeer([](const Bytes&, int index) -> std::vector<PeerReply> {
        Bytes reply = HoldingReply(1, {0x1234});
        if (index == 0) {
            reply.back() ^= 0xFF;
        }
        return {{reply}};
    });
    Open();
    Client.ReadHoldingRegisters(7, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsNormalResponse);
    EXPECT_EQ(Completions[0].Info.Attempts, 2u);
    EXPECT_EQ(Completions[0].Values, TRegValues{0x1234});
}

TEST_F(Retries, ExceptionReplyIsNotRetried) {
    StartPeer([](const Bytes&, int) -> std::vector<PeerReply> {
        return {{RtuFrame({0x01, 0x83, 0x02})}};
    });
    Open();
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsExceptionResponse);
    EXPECT_EQ(Completions[0].Info.Exception, seIllegalDataAddress);
    EXPECT_EQ(Completions[0].Info.ExceptionCode, 2);
    EXPECT_EQ(Completions[0].Info.Attempts, 1u);
    PumpFor(400ms);
    EXPECT_EQ(Peer->RequestCount(), 1);
}

TEST_F(Retries, UnmatchedReplyIsNotRetried) {
    StartPeer([](const Bytes&, int) -> std::vector<PeerReply> {
        return {{RtuFrame({0x01, 0x04, 0x02, 0x00, 0x01})}};
    });
    Open();
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsUnmatched);
    EXPECT_EQ(Completions[0].Info.Attempts, 1u);
    EXPECT_EQ(Completions[0].Values, TRegValues{0}) << "values of a failed reply stay 0";
}

TEST_F(Retries, MistargetedReplyThenSilenceListensAgainWithAFullTimeout) {
    Connection.SetMaxRetries(2);
    StartPeer([](const Bytes&, int index) -> std::vector<PeerReply> {
        if (index == 0) {
            return {{HoldingReply(9, {1})}};
        }
        return {};
    });
    Open();
    Stopwatch watch;
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsTimeoutExpired);
    EXPECT_EQ(Completions[0].Info.Attempts, 2u);
    EXPECT_EQ(Received.size(), 1u) << "the mistargeted frame was received and reported";
    const auto times = Peer->RequestTimes();
    ASSERT_EQ(times.size(), 2u);
    EXPECT_GE(MsBetween(times[0], times[1]), 150) << "a second listen of a full timeout";
}

TEST_F(Retries, FailedSendCountsAsAnAttemptAndNothingIsRead) {
    Open();
    Pty.CloseMaster();
    Stopwatch watch;
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsTimeoutExpired);
    EXPECT_EQ(Completions[0].Info.Attempts, 3u);
    EXPECT_TRUE(Received.empty());
}

TEST_F(Retries, ChangedTimingReachesTheNextAttempt) {
    Connection.SetMaxRetries(1);
    StartPeer(Silence);
    Open();
    Connection.SetMaxRetries(2);
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Attempts, 2u);
}

using Broadcasts = EngineFixture;

TEST_F(Broadcasts, OneSendATurnaroundPauseAndNoCompletion) {
    Connection.SetTurnaroundDelay(100);
    StartPeer(Silence);
    Open();
    Client.SetServerAddress(0);
    Client.WriteSingleRegister(5, 7, 0);
    Connection.BroadcastSingleRegisterWrite(6, 8, 0);
    PumpFor(700ms);
    EXPECT_TRUE(Completions.empty());
    EXPECT_EQ(Sent.size(), 2u) << "OnFrameSend fires for broadcasts";
    EXPECT_EQ(Peer->RequestCount(), 2);
    const auto requests = Peer->Requests();
    EXPECT_EQ(requests[0], RtuFrame({0x00, 0x06, 0x00, 0x05, 0x00, 0x07}));
    EXPECT_EQ(requests[1], RtuFrame({0x00, 0x06, 0x00, 0x06, 0x00, 0x08}));
    const auto times = Peer->RequestTimes();
    EXPECT_GE(MsBetween(times[0], times[1]), 50) << "the turnaround delay separates them";
}

using Echo = EngineFixture;

TEST_F(Echo, EchoAloneTriggersASecondReceive) {
    Connection.SetEchoQueryBeforeReply(true);
    StartPeer([](const Bytes& request, int) -> std::vector<PeerReply> {
        return {{request}, {HoldingReply(1, {42}), 60ms}};
    });
    Open();
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsNormalResponse);
    EXPECT_EQ(Completions[0].Values, TRegValues{42});
    EXPECT_EQ(Completions[0].Info.Attempts, 1u);
}

TEST_F(Echo, EchoAndReplyInOneReadAreSplit) {
    Connection.SetEchoQueryBeforeReply(true);
    StartPeer([](const Bytes& request, int) -> std::vector<PeerReply> {
        Bytes both = request;
        const Bytes reply = HoldingReply(1, {43});
        both.insert(both.end(), reply.begin(), reply.end());
        return {{both}};
    });
    Open();
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsNormalResponse);
    EXPECT_EQ(Completions[0].Values, TRegValues{43});
    ASSERT_EQ(Received.size(), 1u);
    EXPECT_EQ(Received[0], HoldingReply(1, {43})) << "only the reply is reported";
}

TEST_F(Echo, BytesThatDoNotStartWithTheSentFrameAreUsedAsTheyAre) {
    Connection.SetEchoQueryBeforeReply(true);
    StartPeer(
        [](const Bytes&, int) -> std::vector<PeerReply> { return {{HoldingReply(1, {44})}}; });
    Open();
    Client.ReadHoldingRegisters(0, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsNormalResponse);
    EXPECT_EQ(Completions[0].Values, TRegValues{44});
}

using StopSequence = EngineFixture;

TEST_F(StopSequence, RunningTransactionFinishesAndNoEventFiresForAny) {
    Connection.SetMaxRetries(2);
    StartPeer(Silence);
    Open();
    for (int i = 0; i < 4; ++i) {
        Client.ReadHoldingRegisters(0, 1, 0);
    }
    PumpUntil([&] { return Peer->RequestCount() >= 1; });
    EXPECT_EQ(Connection.PendingTransactionCount(), 3);
    Stopwatch watch;
    Connection.SetActive(false);
    EXPECT_GE(watch.ElapsedMs(), 200) << "the running exchange ends its attempts first";
    PumpFor(400ms);
    EXPECT_TRUE(Completions.empty());
    EXPECT_EQ(Peer->RequestCount(), 2) << "two attempts of the running one, none of the rest";
    EXPECT_EQ(Connection.PendingTransactionCount(), 0);
}

TEST_F(StopSequence, ServerAddressChangeDropsQueuedAndRunningCompletions) {
    StartPeer([](const Bytes&, int) -> std::vector<PeerReply> {
        return {{HoldingReply(1, {1}), 50ms}};
    });
    Open();
    Client.ReadHoldingRegisters(0, 1, 0);
    Client.ReadHoldingRegisters(0, 1, 0);
    PumpUntil([&] { return Peer->RequestCount() >= 1; });
    Client.SetServerAddress(2);
    EXPECT_EQ(Connection.PendingTransactionCount(), 0);
    PumpFor(500ms);
    EXPECT_TRUE(Completions.empty()) << "the running one was issued under the old address";
    EXPECT_EQ(Peer->RequestCount(), 1);
}

TEST_F(StopSequence, DestroyedClientIsNeverCalled) {
    StartPeer([](const Bytes&, int) -> std::vector<PeerReply> {
        return {{HoldingReply(1, {1}), 50ms}};
    });
    Open();
    int calls = 0;
    {
        TModbusClient other;
        other.SetConnection(&Connection);
        other.OnHoldingRegistersRead = [&](TModbusClient&, const TTransactionInfo&, std::uint16_t,
                                           std::uint16_t, const TRegValues&) { ++calls; };
        other.ReadHoldingRegisters(0, 1, 0);
        PumpUntil([&] { return Peer->RequestCount() >= 1; });
    }
    PumpFor(400ms);
    EXPECT_EQ(calls, 0);
}

TEST_F(StopSequence, DestroyedConnectionDropsWorkPostedForIt) {
    StartPeer([](const Bytes&, int) -> std::vector<PeerReply> { return {{HoldingReply(1, {1})}}; });
    auto connection = std::make_unique<TModbusConnection>();
    connection->SetPort(Pty.SlavePath());
    TModbusClient client;
    client.SetConnection(connection.get());
    int calls = 0;
    client.OnHoldingRegistersRead = [&](TModbusClient&, const TTransactionInfo&, std::uint16_t,
                                        std::uint16_t, const TRegValues&) { ++calls; };
    connection->SetActive(true);
    client.ReadHoldingRegisters(0, 1, 0);
    PumpUntil([&] { return Peer->RequestCount() >= 1; });
    std::this_thread::sleep_for(100ms); // the completion is posted but not yet delivered
    connection.reset();
    EXPECT_EQ(client.Connection(), nullptr) << "the client was told";
    PumpFor(200ms);
    EXPECT_EQ(calls, 0);
}
