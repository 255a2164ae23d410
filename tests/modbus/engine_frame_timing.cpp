// The standard's frame timing on a pseudo-terminal at 115200 bit/s: the 1.75 ms silence and
// the 0.75 ms inter-character limit, replies and requests that end by their length when their
// CRC checks, the echo of lines that echo, and the silence rule where the length cannot decide.
// The same replies under the classic timing show what the standard changes.
#include "EngineFixture.h"
#include "MapServer.h"
#include "TestStopwatch.h"

#include "FrameTiming.h"

using namespace Corvane;
using namespace TestSupport;
using namespace std::chrono_literals;

namespace {

class StandardTiming : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Connection.SetBaudRate(br115200);
        Connection.SetFrameTiming(ftStandard);
        Connection.SetMaxRetries(1);
        Connection.SetReceiveTimeout(1000);
    }

    // One read of `count` registers from 0, waited for.
    const Completion& Read(std::uint16_t count = 2) {
        const std::size_t before = Completions.size();
        Client.ReadHoldingRegisters(0, count, 0);
        EXPECT_TRUE(WaitForCompletions(before + 1));
        return Completions.back();
    }

    // Whether one of at most `reads` reads ends with `status` and `frame` as the frame received.
    // A pause between two bursts is seen as it was written only when the worker wakes within it
    // and the pseudo-terminal hands the first burst on at once; on a busy machine one read can
    // see another pause, never each of a few.
    bool SomeReadEndsWith(TReplyStatus status, const Bytes& frame, int reads = 8) {
        for (int i = 0; i < reads; ++i) {
            const std::size_t before = Received.size();
            const TReplyStatus got = Read().Info.Status;
            const bool received = Received.size() > before && Received[before] == frame;
            PumpFor(50ms); // the rest of a split reply arrives and is purged before the next send
            if (got == status && received) {
                return true;
            }
        }
        return false;
    }
};

// The reply, cut before each of the given positions into bursts written `gap` apart. With
// seenWhole, each pause starts once the connection has read the burst before it.
std::vector<PeerReply> Bursts(const Bytes& reply, std::initializer_list<std::size_t> cuts,
                              std::chrono::microseconds gap, bool seenWhole = false) {
    std::vector<PeerReply> out;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        const bool first = out.empty();
        out.push_back({Bytes(reply.begin() + from, reply.begin() + cut), first ? 0us : gap,
                       !first && seenWhole});
        from = cut;
    }
    out.push_back({Bytes(reply.begin() + from, reply.end()), gap, seenWhole});
    return out;
}

Bytes Noise() {
    return {0xFF, 0x00, 0x55, 0xAA};
}

} // namespace

TEST_F(StandardTiming, GapsAreTheStandardsAndFollowTheLineLive) {
    Open();
    EXPECT_EQ(Connection.FrameGaps(), (TFrameGaps{1750, 750}));
    EXPECT_EQ(Connection.SilentTime(), 2u);
    Connection.SetBaudRate(br9600);
    EXPECT_EQ(Connection.FrameGaps(), (TFrameGaps{4011, 1719})) << "8E1 at 9600";
    Connection.SetFrameTiming(ftClassic);
    EXPECT_EQ(Connection.FrameGaps(), (TFrameGaps{16000, 0}));
}

TEST_F(StandardTiming, BurstsWithGapsBelowTheInterCharacterLimitFormOneReply) {
    // A pause of a scheduler's time slice can break one attempt on a busy machine; the bytes
    // still have to come together in one of three.
    Connection.SetMaxRetries(3);
    const Bytes reply = HoldingReply(1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    StartPeer([=](const Bytes&, int) { return Bursts(reply, {3, 9, 15}, 200us); });
    Open();
    const Completion& c = Read(10);
    EXPECT_EQ(c.Info.Status, rsNormalResponse);
    EXPECT_EQ(c.Values, (TRegValues{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(Received.back(), reply);
}

// A pause between two bursts is seen by the connection from the moment it has read the first
// one; the peer starts its pauses then, so that a busy machine cannot hide them.
TEST_F(StandardTiming, AGapLongerThanTheSilenceEndsTheReplyThereUnlikeClassic) {
    const Bytes reply = HoldingReply(1, {0x1111, 0x2222});
    StartPeer([=](const Bytes&, int) { return Bursts(reply, {4}, 2ms, true); });
    Open();
    EXPECT_TRUE(SomeReadEndsWith(rsFrameCorrupted, Bytes(reply.begin(), reply.begin() + 4)))
        << "the frame ends at the gap";

    Connection.SetFrameTiming(ftClassic);
    const Completion& classic = Read();
    EXPECT_EQ(classic.Info.Status, rsNormalResponse) << "16 ms of silence bridge a 2 ms gap";
    EXPECT_EQ(classic.Values, (TRegValues{0x1111, 0x2222}));
}

TEST_F(StandardTiming, CharactersResumingAfterTheInterCharacterLimitMakeTheReplyIncomplete) {
    const Bytes reply = HoldingReply(1, {0x1111, 0x2222});
    StartPeer([=](const Bytes&, int) { return Bursts(reply, {4}, 1200us, true); });
    Open();
    EXPECT_TRUE(SomeReadEndsWith(rsFrameCorrupted, reply))
        << "the whole reply, discarded although its CRC checks";
}

TEST_F(StandardTiming, AReplyFollowedAtOnceByNoiseEndsByItsLength) {
    const Bytes reply = HoldingReply(1, {0x0102, 0x0304});
    StartPeer([=](const Bytes&, int) {
        Bytes noisy = reply;
        const Bytes noise = Noise();
        noisy.insert(noisy.end(), noise.begin(), noise.end());
        return std::vector<PeerReply>{{noisy}};
    });
    Open();
    const Completion& c = Read();
    EXPECT_EQ(c.Info.Status, rsNormalResponse);
    EXPECT_EQ(c.Values, (TRegValues{0x0102, 0x0304}));
    ASSERT_EQ(Received.size(), 1u);
    EXPECT_EQ(Received[0], reply) << "the noise is not part of the frame";
    EXPECT_EQ(Read().Info.Status, rsNormalResponse) << "the noise is gone before the next send";

    Connection.SetFrameTiming(ftClassic);
    EXPECT_EQ(Read().Info.Status, rsFrameCorrupted) << "classic takes the noise into the frame";
}

TEST_F(StandardTiming, AnExceptionReplyEndsByItsLength) {
    StartPeer([](const Bytes&, int) {
        Bytes reply = RtuFrame({0x01, 0x83, 0x02});
        const Bytes noise = Noise();
        reply.insert(reply.end(), noise.begin(), noise.end());
        return std::vector<PeerReply>{{reply}};
    });
    Open();
    const Completion& c = Read();
    EXPECT_EQ(c.Info.Status, rsExceptionResponse);
    EXPECT_EQ(c.Info.Exception, seIllegalDataAddress);
}

TEST_F(StandardTiming, AWrongByteCountFallsBackToTheSilenceAndIsJudgedAsInClassic) {
    // Announces 6 bytes and carries 4; then announces 2 and carries 4. Both are whole frames
    // with a correct CRC once the silence ends them, and neither matches its request.
    const Bytes overlong = RtuFrame({0x01, 0x03, 0x06, 0x00, 0x01, 0x00, 0x02});
    const Bytes undersized = RtuFrame({0x01, 0x03, 0x02, 0x00, 0x01, 0x00, 0x02});
    StartPeer([=](const Bytes&, int index) {
        return std::vector<PeerReply>{{index % 2 == 0 ? overlong : undersized}};
    });
    Open();
    for (TFrameTiming timing : {ftStandard, ftClassic}) {
        Connection.SetFrameTiming(timing);
        for (const Bytes* sent : {&overlong, &undersized}) {
            Received.clear();
            EXPECT_EQ(Read().Info.Status, rsUnmatched) << int(timing);
            ASSERT_EQ(Received.size(), 1u);
            EXPECT_EQ(Received[0], *sent) << "the whole frame, up to the silence";
        }
    }
}

TEST_F(StandardTiming, ALostLastByteLeavesTheReplyToTheSilence) {
    Connection.SetReceiveTimeout(3000);
    const Bytes reply = HoldingReply(1, {7, 8});
    StartPeer([=](const Bytes&, int) {
        return std::vector<PeerReply>{{Bytes(reply.begin(), reply.end() - 1)}};
    });
    Open();
    Stopwatch watch;
    EXPECT_EQ(Read().Info.Status, rsFrameCorrupted);
    EXPECT_LT(watch.ElapsedMs(), 1500) << "the silence ended the frame, not the receive timeout";
    ASSERT_EQ(Received.size(), 1u);
    EXPECT_EQ(Received[0].size(), reply.size() - 1);
}

TEST_F(StandardTiming, TheEchoOfTheRequestIsSkippedWithOrWithoutAPauseBeforeTheReply) {
    Connection.SetEchoQueryBeforeReply(true);
    const Bytes reply = HoldingReply(1, {0x4242, 0x4343});
    StartPeer([=](const Bytes& request, int index) -> std::vector<PeerReply> {
        if (index == 0) {
            Bytes both = request;
            both.insert(both.end(), reply.begin(), reply.end());
            return {{both}};
        }
        return {{request}, {reply, 20ms}};
    });
    Open();
    for (int i = 0; i < 2; ++i) {
        Received.clear();
        const Completion& c = Read();
        EXPECT_EQ(c.Info.Status, rsNormalResponse) << i;
        EXPECT_EQ(c.Values, (TRegValues{0x4242, 0x4343})) << i;
        ASSERT_EQ(Received.size(), 1u) << i;
        EXPECT_EQ(Received[0], reply) << "only the reply is reported";
    }
}

TEST_F(StandardTiming, AsciiKeepsItsFramingAndSilentTime) {
    Connection.SetTransmissionMode(tmASCII);
    Connection.SetSilentInterval(1000);
    const Bytes reply = AsciiFrame({0x01, 0x03, 0x02, 0x00, 0x2A});
    StartPeer([=](const Bytes&, int) { return Bursts(reply, {5}, 5ms); });
    Open();
    EXPECT_EQ(Connection.SilentTime(), 1000u);
    const Completion& c = Read(1);
    EXPECT_EQ(c.Info.Status, rsNormalResponse) << "a 5 ms pause inside an ASCII frame is fine";
    EXPECT_EQ(c.Values, TRegValues{42});
}

class StandardTimingServer : public ::testing::Test {
protected:
    void SetUp() override {
        TMainThreadBridge::Instance().AdoptCurrentThread();
        Connection.SetPort(Pty.SlavePath());
        Connection.SetConnectionMode(cmServer);
        Connection.SetBaudRate(br115200);
        Connection.SetFrameTiming(ftStandard);
        A.Server.SetConnection(&Connection);
        A.Registers = {{0, 0x1234}, {1, 0x5678}};
        Connection.SetActive(true);
        PumpFor(100ms); // the worker purges the line as it starts
    }
    void TearDown() override { Connection.SetActive(false); }

    PtyPair Pty;
    TModbusConnection Connection;
    MapServer A;
};

TEST_F(StandardTimingServer, ARequestEndsByItsLengthAndTheReplyKeepsTheGapBeforeIt) {
    Bytes request = RtuFrame({0x01, 0x03, 0, 0, 0, 2});
    const Bytes noise = Noise();
    request.insert(request.end(), noise.begin(), noise.end());
    const auto written = std::chrono::steady_clock::now();
    Pty.PeerWrite(request);
    Bytes reply;
    PumpUntil(
        [&] {
            const Bytes more = Pty.PeerRead(64, 1ms);
            reply.insert(reply.end(), more.begin(), more.end());
            return reply.size() >= 9;
        },
        2000ms);
    const auto answered = std::chrono::steady_clock::now();
    EXPECT_EQ(reply, RtuFrame({0x01, 0x03, 0x04, 0x12, 0x34, 0x56, 0x78}));
    EXPECT_GE(answered - written, 1750us) << "3.5 characters of silence before the reply";
}
