// The POSIX serial line on pseudo-terminal pairs: opening and hooking, line settings,
// interruptible waits, writes and the behaviour after the other end went away.
#include "CorvaneError.h"
#include "SerialLine.h"

#include "DelayedAction.h"
#include "PtyPair.h"
#include "TestStopwatch.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace Corvane;
using namespace TestSupport;
using namespace std::chrono_literals;

namespace {

template <typename F>
TCorvaneMessage ErrorOf(F&& f) {
    try {
        f();
    } catch (const ECorvaneError& e) {
        return e.MessageId();
    }
    ADD_FAILURE() << "no ECorvaneError raised";
    return msgMessageCount;
}

TLineSettings Settings(std::uint32_t baud) {
    TLineSettings s;
    s.BaudRate = baud;
    return s;
}

} // namespace

TEST(SerialLineOpen, MissingDeviceRaisesTheExactOpenError) {
    try {
        OpenSerialLine("/dev/no-such-serial-device");
        FAIL() << "opened a missing device";
    } catch (const ECorvaneError& e) {
        EXPECT_EQ(e.MessageId(), msgCouldNotOpenPort);
        EXPECT_STREQ(e.what(), "Could not open serial port");
        EXPECT_FALSE(LastSerialLineErrorDetail().empty());
    }
}

TEST(SerialLineOpen, NameWithANulIsRefusedRatherThanCutShort) {
    // The part before the NUL names a device that exists: it must not be the one opened.
    PtyPair pty;
    const std::string name = pty.SlavePath() + std::string(1, '\0') + "junk";
    EXPECT_THROW(OpenSerialLine(name), ECorvaneError);
    EXPECT_THROW(OpenSerialLine(std::string("ttyS0\0", 6)), ECorvaneError);
}

TEST(SerialLineOpen, SlavePathOpensAndCarriesBytesBothWays) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    line->Configure(Settings(19200));
    const Bytes query = {0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A};
    ASSERT_TRUE(line->Write(query.data(), static_cast<std::int32_t>(query.size()), 1000));
    EXPECT_EQ(pty.PeerRead(query.size(), 1000ms), query);

    pty.PeerWrite(Bytes{0xAA, 0x55});
    ASSERT_EQ(line->WaitForData(1000), wrData);
    std::uint8_t buf[16] = {};
    EXPECT_EQ(line->ReadAvailable(buf, sizeof buf), 2);
    EXPECT_EQ(buf[0], 0xAA);
    EXPECT_EQ(buf[1], 0x55);
    EXPECT_EQ(line->ReadAvailable(buf, sizeof buf), 0) << "an empty read must not block";
    EXPECT_FALSE(line->LineLost()) << "an empty queue is not a lost line";
}

TEST(SerialLineHook, InvalidHandlesRaiseTheOpenError) {
    EXPECT_EQ(ErrorOf([] { HookSerialLine(-1); }), msgCouldNotOpenPort);
    EXPECT_EQ(ErrorOf([] { HookSerialLine(static_cast<std::intptr_t>(0xFFFFFFFFu)); }),
              msgCouldNotOpenPort);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    close(fds[1]);
    EXPECT_EQ(ErrorOf([&] { HookSerialLine(fds[0]); }), msgCouldNotOpenPort);
}

TEST(SerialLineHook, HookedDescriptorIsNeverClosedAndKeepsItsFlags) {
    PtyPair pty;
    const int flagsBefore = fcntl(pty.SlaveFd(), F_GETFL);
    {
        auto line = HookSerialLine(pty.SlaveFd());
        line->Configure(Settings(9600));
        pty.PeerWrite("x");
        EXPECT_EQ(line->WaitForData(1000), wrData);
    }
    EXPECT_NE(fcntl(pty.SlaveFd(), F_GETFD), -1) << "the hooked descriptor was closed";
    EXPECT_EQ(fcntl(pty.SlaveFd(), F_GETFL), flagsBefore);
}

TEST(SerialLineConfigure, EveryNamedAndCustomSpeedIsAcceptedOnAPty) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    for (int rate = br110; rate < brCustom; ++rate) {
        EXPECT_NO_THROW(line->Configure(Settings(BaudRateValue(static_cast<TBaudRate>(rate)))))
            << BaudRateValue(static_cast<TBaudRate>(rate));
    }
    EXPECT_NO_THROW(line->Configure(Settings(12345)));
    EXPECT_NO_THROW(line->Configure(Settings(9600))) << "back from a custom speed";
}

TEST(SerialLineConfigure, ZeroSpeedRaisesTheCustomBaudError) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    try {
        line->Configure(Settings(0));
        FAIL() << "speed 0 accepted";
    } catch (const ECorvaneError& e) {
        EXPECT_EQ(e.MessageId(), msgCustomBaudRateZero);
    }
}

TEST(SerialLineConfigure, EveryFormatAndFlowControlIsAcceptedOnAPty) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    for (auto flow : {fcNone, fcRtsToggle, fcRtsCts, fcDtrDsr}) {
        for (auto parity : {psNone, psOdd, psEven}) {
            TLineSettings s = Settings(19200);
            s.FlowControl = flow;
            s.Parity = parity;
            s.DataBits = db7;
            s.StopBits = sb2;
            s.DTREnabled = parity != psOdd;
            s.RTSEnabled = parity != psEven;
            EXPECT_NO_THROW(line->Configure(s))
                << "flow " << int(flow) << " parity " << int(parity);
        }
    }
}

TEST(SerialLineConfigure, AFileThatIsNoTerminalRefusesTheSettings) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        auto line = HookSerialLine(fds[0]);
        EXPECT_EQ(ErrorOf([&] { line->Configure(Settings(9600)); }), msgFailedToUpdateDcb);
    }
    close(fds[0]);
    close(fds[1]);
}

TEST(SerialLineBuffers, NegativeSizesAreRefused) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    EXPECT_NO_THROW(line->SetBufferSizes(1024, 1024));
    EXPECT_EQ(ErrorOf([&] { line->SetBufferSizes(-1, 1024); }), msgFailedToInitBuffers);
    EXPECT_EQ(ErrorOf([&] { line->SetBufferSizes(1024, -1); }), msgFailedToInitBuffers);
}

TEST(SerialLineWait, TimeLimitIsHonoured) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    Stopwatch watch;
    EXPECT_EQ(line->WaitForData(150), wrTimeout);
    EXPECT_GE(watch.ElapsedMs(), 150);
    EXPECT_LT(watch.ElapsedMs(), 350);
}

TEST(SerialLineWait, ZeroLimitReportsBufferedDataWithoutWaiting) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    EXPECT_EQ(line->WaitForData(0), wrTimeout);
    pty.PeerWrite("z");
    ASSERT_EQ(line->WaitForData(1000), wrData);
    EXPECT_EQ(line->WaitForData(0), wrData) << "unread data keeps the line ready";
}

TEST(SerialLineWait, ArrivingDataEndsTheWaitEarly) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    DelayedAction peer(50ms, [&] { pty.PeerWrite("a"); });
    Stopwatch watch;
    EXPECT_EQ(line->WaitForData(5000), wrData);
    EXPECT_LT(watch.ElapsedMs(), 2000);
}

TEST(SerialLineWait, PendingStopEndsOneWaitOnlyLikeAnAutoResetEvent) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    line->RequestStop();
    line->RequestStop(); // two requests before a wait still wake only one
    Stopwatch watch;
    EXPECT_EQ(line->WaitForData(5000), wrStopped);
    EXPECT_LT(watch.ElapsedMs(), 1000);
    EXPECT_EQ(line->WaitForData(50), wrTimeout) << "the stop request was not consumed";
}

TEST(SerialLineWait, StopFromAnotherThreadEndsAnUnlimitedWait) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    DelayedAction stopper(80ms, [&] { line->RequestStop(); });
    Stopwatch watch;
    EXPECT_EQ(line->WaitForData(kInfiniteTimeout), wrStopped);
    EXPECT_GE(watch.ElapsedMs(), 70);
    EXPECT_LT(watch.ElapsedMs(), 3000);
}

TEST(SerialLineWrite, WriteGivesUpAtItsLimitWhenThePeerNeverReads) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    const Bytes flood(4 * 1024 * 1024, 0x55);
    Stopwatch watch;
    EXPECT_FALSE(line->Write(flood.data(), static_cast<std::int32_t>(flood.size()), 200));
    EXPECT_GE(watch.ElapsedMs(), 190);
    EXPECT_LT(watch.ElapsedMs(), 2000);
}

TEST(SerialLineWrite, PendingStopCutsABlockedWriteShortAndStaysPending) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    const Bytes flood(4 * 1024 * 1024, 0x55);
    DelayedAction stopper(80ms, [&] { line->RequestStop(); });
    Stopwatch watch;
    EXPECT_FALSE(line->Write(flood.data(), static_cast<std::int32_t>(flood.size()), 10000));
    EXPECT_LT(watch.ElapsedMs(), 5000);
    EXPECT_EQ(line->WaitForData(5000), wrStopped);
}

TEST(SerialLinePurge, ReceivePurgeDiscardsBufferedBytes) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    pty.PeerWrite("stale bytes");
    ASSERT_EQ(line->WaitForData(1000), wrData);
    line->Purge(true, true);
    EXPECT_EQ(line->WaitForData(50), wrTimeout);
}

TEST(SerialLineLoss, ClosedPeerMakesWaitsLastTheirLimitWithoutBurningCpu) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    pty.CloseSlave();
    pty.CloseMaster();
    // The first wait or read notices the hang-up.
    std::uint8_t buf[8];
    if (line->WaitForData(1000) == wrData) {
        EXPECT_EQ(line->ReadAvailable(buf, sizeof buf), 0);
    }
    ASSERT_TRUE(line->LineLost());

    const auto cpuBefore = ProcessCpuTime();
    Stopwatch total;
    for (int i = 0; i < 4; ++i) {
        Stopwatch watch;
        EXPECT_EQ(line->WaitForData(250), wrLineLost);
        EXPECT_GE(watch.ElapsedMs(), 250) << "a lost line must not end waits early";
    }
    const auto cpuUsed = ProcessCpuTime() - cpuBefore;
    EXPECT_GE(total.ElapsedMs(), 1000);
    EXPECT_LT(cpuUsed, 50ms) << "waiting on a lost line spins";
    EXPECT_TRUE(line->LineLost());

    const Bytes frame = {1, 2, 3};
    EXPECT_FALSE(line->Write(frame.data(), 3, 200));
}

TEST(SerialLineLoss, StopRequestStillEndsAWaitOnALostLine) {
    PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    pty.CloseSlave();
    pty.CloseMaster();
    std::uint8_t buf[8];
    if (line->WaitForData(1000) == wrData) {
        line->ReadAvailable(buf, sizeof buf);
    }
    ASSERT_TRUE(line->LineLost());
    DelayedAction stopper(50ms, [&] { line->RequestStop(); });
    Stopwatch watch;
    EXPECT_EQ(line->WaitForData(kInfiniteTimeout), wrStopped);
    EXPECT_LT(watch.ElapsedMs(), 3000);
}

// The simulator's view: the line is the master, and the device side is closed and reopened.
TEST(SerialLineLoss, MasterLineComesBackWhenTheDeviceSideIsReopened) {
    PtyPair pty;
    auto line = HookSerialLine(pty.MasterFd());
    line->Configure(Settings(19200));
    pty.CloseSlave();
    EXPECT_NE(line->WaitForData(200), wrData);
    EXPECT_TRUE(line->LineLost());

    const int device = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(device, 0);
    const Bytes hello = {0x10, 0x20};
    WriteAll(device, hello.data(), hello.size());
    EXPECT_EQ(line->WaitForData(2000), wrData);
    EXPECT_FALSE(line->LineLost());
    std::uint8_t buf[8] = {};
    EXPECT_EQ(line->ReadAvailable(buf, sizeof buf), 2);
    close(device);
}
