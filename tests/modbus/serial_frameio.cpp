// Frame reception and sending on pseudo-terminal pairs: where an RTU frame ends, how the
// ASCII scanner finds a frame among stray characters, and the send sequence.
#include "FrameIO.h"
#include "Framing.h"
#include "ModbusBuffer.h"
#include "SerialLine.h"

#include "DelayedAction.h"
#include "PtyPair.h"
#include "TestStopwatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Corvane;
using namespace TestSupport;
using namespace std::chrono_literals;

namespace {

// Large enough against scheduling hiccups of a busy machine, small enough for fast tests.
constexpr std::uint32_t kSilentTime = 100;

class FrameIOTest : public ::testing::Test {
protected:
    FrameIOTest() : FLine(OpenSerialLine(FPty.SlavePath())), FIO(*FLine) {
        TLineSettings s;
        s.BaudRate = 19200;
        FLine->Configure(s);
    }

    Bytes Receive(TTransmissionMode mode, std::uint32_t timeoutMs, std::int32_t capacity = 523) {
        std::vector<std::uint8_t> raw(static_cast<std::size_t>(capacity));
        const std::int32_t n = FIO.ReceiveFrame(raw.data(), capacity, timeoutMs, mode, kSilentTime);
        raw.resize(static_cast<std::size_t>(n));
        return raw;
    }

    PtyPair FPty;
    std::unique_ptr<TSerialLine> FLine;
    TFrameIO FIO;
};

// The RTU wire form of a read-holding-registers reply with two registers.
Bytes RtuReply() {
    TModbusBuffer b(QueryBufferSize(tmRTU));
    for (std::uint8_t x : {0x11, 0x03, 0x04, 0x00, 0x0A, 0x01, 0x02}) {
        b.WriteByte(x);
    }
    Bytes raw(static_cast<std::size_t>(FrameBufferSize(tmRTU)));
    raw.resize(static_cast<std::size_t>(
        EncodeFrame(tmRTU, b, raw.data(), static_cast<std::int32_t>(raw.size()))));
    return raw;
}

std::string Text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

} // namespace

TEST_F(FrameIOTest, RtuBurstsWithAGapShorterThanTheSilentTimeFormOneFrame) {
    const Bytes frame = RtuReply();
    const Bytes head(frame.begin(), frame.begin() + 3);
    const Bytes tail(frame.begin() + 3, frame.end());
    DelayedAction peer(0ms, [&] { FPty.PeerWriteBursts({head, tail}, 10ms); });
    const Bytes got = Receive(tmRTU, 2000);
    EXPECT_EQ(got, frame);
    TModbusBuffer decoded(QueryBufferSize(tmRTU));
    EXPECT_TRUE(
        DecodeFrame(tmRTU, cmClient, got.data(), static_cast<std::int32_t>(got.size()), decoded));
}

TEST_F(FrameIOTest, RtuBurstsWithAGapLongerThanTheSilentTimeAreTwoFrames) {
    const Bytes first = {0x01, 0x02, 0x03};
    const Bytes second = {0x04, 0x05};
    DelayedAction peer(0ms, [&] { FPty.PeerWriteBursts({first, second}, 4 * kSilentTime * 1ms); });
    EXPECT_EQ(Receive(tmRTU, 2000), first);
    EXPECT_EQ(Receive(tmRTU, 2000), second);
}

TEST_F(FrameIOTest, RtuFrameLongerThanTheCapacityIsCutAndItsRestDrained) {
    FPty.PeerWrite(Bytes(300, 0x42));
    Stopwatch watch;
    EXPECT_EQ(Receive(tmRTU, 2000, 8), Bytes(8, 0x42));
    EXPECT_LT(watch.ElapsedMs(), 3000);
    EXPECT_FALSE(FIO.WaitForData(50)) << "the rest of the frame was left in the driver";
}

TEST_F(FrameIOTest, ZeroTimeoutReturnsNothingAtOnceInBothModes) {
    FPty.PeerWrite(":0103\r\n");
    ASSERT_TRUE(FIO.WaitForData(1000));
    for (auto mode : {tmRTU, tmASCII}) {
        Stopwatch watch;
        EXPECT_TRUE(Receive(mode, 0).empty());
        EXPECT_LT(watch.ElapsedMs(), 50);
    }
    EXPECT_TRUE(FIO.WaitForData(0)) << "a zero-timeout receive must not consume input";
}

TEST_F(FrameIOTest, NothingArrivingReturnsNoBytesAfterTheTimeout) {
    for (auto mode : {tmRTU, tmASCII}) {
        Stopwatch watch;
        EXPECT_TRUE(Receive(mode, 150).empty());
        EXPECT_GE(watch.ElapsedMs(), 150);
        EXPECT_LT(watch.ElapsedMs(), 1000);
    }
}

TEST_F(FrameIOTest, AsciiFrameStartsAtColonEndsAtLineFeedAndDropsWhatSurroundsIt) {
    DelayedAction peer(0ms, [&] {
        FPty.PeerWriteBursts({ToBytes("?!:01"), ToBytes("0300000001FB\r\nabcd")}, 30ms);
    });
    const Bytes got = Receive(tmASCII, 2000);
    EXPECT_EQ(Text(got), ":010300000001FB\r\n");
    TModbusBuffer decoded(QueryBufferSize(tmASCII));
    EXPECT_TRUE(
        DecodeFrame(tmASCII, cmServer, got.data(), static_cast<std::int32_t>(got.size()), decoded));
}

TEST_F(FrameIOTest, AsciiLaterColonRestartsTheFrameWithinAChunk) {
    FPty.PeerWrite(":01:0103\r\n");
    EXPECT_EQ(Text(Receive(tmASCII, 2000)), ":0103\r\n");
}

TEST_F(FrameIOTest, AsciiLaterColonRestartsTheFrameInALaterChunk) {
    DelayedAction peer(0ms, [&] {
        FPty.PeerWriteBursts({ToBytes(":0103"), ToBytes("00:010300000001FB\r\n")}, 30ms);
    });
    EXPECT_EQ(Text(Receive(tmASCII, 2000)), ":010300000001FB\r\n");
}

TEST_F(FrameIOTest, AsciiFrameBrokenAfterItsCarriageReturnIsReturnedAsItIs) {
    DelayedAction peer(0ms, [&] {
        FPty.PeerWriteBursts({ToBytes(":0103\r"), ToBytes("X00")}, 30ms);
    });
    const Bytes got = Receive(tmASCII, 2000);
    EXPECT_EQ(Text(got), ":0103\r");
    TModbusBuffer decoded(QueryBufferSize(tmASCII));
    EXPECT_FALSE(
        DecodeFrame(tmASCII, cmServer, got.data(), static_cast<std::int32_t>(got.size()), decoded));
}

TEST_F(FrameIOTest, AsciiFrameStalledInsideEndsAfterTheSilentTime) {
    FPty.PeerWrite(":0103");
    Stopwatch watch;
    EXPECT_EQ(Text(Receive(tmASCII, 5000)), ":0103");
    EXPECT_GE(watch.ElapsedMs(), static_cast<long long>(kSilentTime));
    EXPECT_LT(watch.ElapsedMs(), 2000) << "inside a frame the wait is the silent time";
}

TEST_F(FrameIOTest, AsciiFrameOfTheLargestSizeFitsTheFrameBuffer) {
    TModbusBuffer b(QueryBufferSize(tmASCII));
    for (int i = 0; i < QueryBufferSize(tmASCII) - CheckSize(tmASCII); ++i) {
        b.WriteByte(static_cast<std::uint8_t>(i));
    }
    Bytes wire(static_cast<std::size_t>(FrameBufferSize(tmASCII)));
    wire.resize(static_cast<std::size_t>(
        EncodeFrame(tmASCII, b, wire.data(), static_cast<std::int32_t>(wire.size()))));
    ASSERT_EQ(wire.size(), 523u);
    FPty.PeerWrite(wire);
    EXPECT_EQ(Receive(tmASCII, 2000, FrameBufferSize(tmASCII)), wire);
}

TEST_F(FrameIOTest, StopRequestEndsAnUnlimitedServerWaitWithNoBytes) {
    for (auto mode : {tmRTU, tmASCII}) {
        DelayedAction stopper(50ms, [&] { FLine->RequestStop(); });
        Stopwatch watch;
        EXPECT_TRUE(Receive(mode, kInfiniteTimeout).empty());
        EXPECT_LT(watch.ElapsedMs(), 3000);
    }
}

TEST_F(FrameIOTest, SendWithRtsToggleOnAPtyWritesTheFrameBetweenTheCallbacks) {
    std::vector<std::string> calls;
    FIO.OnBeforeFrameSendAsync = [&] { calls.push_back("before"); };
    FIO.OnAfterFrameSendAsync = [&] {
        calls.push_back("after");
        // By now every byte must have left: the peer can read the whole frame at once.
        EXPECT_EQ(FPty.PeerRead(RtuReply().size(), 500ms).size(), RtuReply().size());
    };
    const Bytes frame = RtuReply();
    Stopwatch watch;
    EXPECT_TRUE(FIO.SendFrame(frame.data(), static_cast<std::int32_t>(frame.size()), 1000,
                              fcRtsToggle, 30));
    EXPECT_GE(watch.ElapsedMs(), 30) << "RTS hold delay not kept";
    EXPECT_EQ(calls, (std::vector<std::string>{"before", "after"}));
}

TEST_F(FrameIOTest, SendOnALostLineFailsAndReceiveReportsTheLoss) {
    FPty.CloseSlave();
    FPty.CloseMaster();
    EXPECT_TRUE(Receive(tmRTU, 300).empty());
    EXPECT_TRUE(FIO.LineLost());
    const Bytes frame = RtuReply();
    EXPECT_FALSE(
        FIO.SendFrame(frame.data(), static_cast<std::int32_t>(frame.size()), 200, fcNone, 0));
    Stopwatch watch;
    EXPECT_TRUE(Receive(tmASCII, 200).empty());
    EXPECT_GE(watch.ElapsedMs(), 200) << "a receive on a lost line must not return at once";
}
