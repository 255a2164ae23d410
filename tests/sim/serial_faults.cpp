// The simulator's line faults as our client sees them: silence, a corrupt frame that the
// retry gets past, and late replies.
#include "SimulatorFixture.h"

#include "TestStopwatch.h"

using namespace Corvane;
using namespace SondrelSim;
using namespace SimTest;

using Faults = SimulatorFixture;

TEST_F(Faults, EveryKthRequestGetsNoReplyAndIsNotActedOn) {
    Start({3, 0, 0, {}});
    std::vector<TReplyStatus> statuses;
    for (std::uint16_t value = 1; value <= 6; ++value) {
        statuses.push_back(Write(kRegRecordPointer, value).Info.Status);
    }
    EXPECT_EQ(statuses,
              (std::vector<TReplyStatus>{rsNormalResponse, rsNormalResponse, rsTimeoutExpired,
                                         rsNormalResponse, rsNormalResponse, rsTimeoutExpired}));
    // Request 7 is answered; request 6 (value 6) never reached the instrument.
    EXPECT_EQ(ReadOk(kRegRecordPointer, 1), TRegValues{5});
}

TEST_F(Faults, CorruptReplyIsRejectedAndTheRetryGetsThrough) {
    Start({0, 2, 0, {}}, DefaultInstrument(), 2);
    const Completion first = Read(kRegCurrentLow, 1);
    EXPECT_EQ(first.Info.Status, rsNormalResponse);
    EXPECT_EQ(first.Info.Attempts, 1u);
    // Reply 2 is corrupted; the client's second attempt gets reply 3.
    const Completion second = Read(kRegCurrentLow, 1);
    EXPECT_EQ(second.Info.Status, rsNormalResponse);
    EXPECT_EQ(second.Info.Attempts, 2u);
    EXPECT_EQ(second.Values, TRegValues{10});
}

TEST_F(Faults, CorruptReplyWithoutRetryIsReportedAsCorrupted) {
    Start({0, 1, 0, {}});
    EXPECT_EQ(Read(kRegCurrentLow, 1).Info.Status, rsFrameCorrupted);
    EXPECT_EQ(Write(kRegRecordPointer, 4).Info.Status, rsFrameCorrupted);
    EXPECT_EQ(Model().Read(kRegRecordPointer, 1), std::vector<std::uint16_t>{4})
        << "the instrument acted on the write whose reply was corrupted";
}

TEST_F(Faults, DelayedRepliesArriveNoSoonerThanTheDelay) {
    Start({0, 0, 300, {}});
    TestSupport::Stopwatch watch;
    EXPECT_EQ(ReadOk(kRegCurrentLow, 1), TRegValues{10});
    EXPECT_GE(watch.ElapsedMs(), 300);
    watch.Restart();
    WriteOk(kRegRecordPointer, 3);
    EXPECT_GE(watch.ElapsedMs(), 300);
}

TEST_F(Faults, WritesOfTheSilentRegisterGetNoReplyAndAreNotCarriedOut) {
    TFaultSettings faults;
    faults.SilentRegister = kRegCommand;
    faults.DropEvery = 3;
    Start(faults);
    EXPECT_EQ(Write(kRegCommand, kCommandStopAcquisition).Info.Status, rsTimeoutExpired);
    EXPECT_EQ(WriteMany(kRegModbusMode, {kModbusModeValue, kCommandStopAcquisition}).Info.Status,
              rsTimeoutExpired);
    EXPECT_TRUE(Model().Acquiring()) << "a silenced stop command was carried out";
    EXPECT_FALSE(Model().ModbusMode());
    // The command register can still be read, other registers written; the silenced
    // requests were not counted as requests 1 and 2 of --drop-every.
    EXPECT_EQ(ReadOk(kRegCommand, 1), TRegValues{kCommandStartAcquisition});
    WriteOk(kRegModbusMode, kModbusModeValue);
    EXPECT_EQ(Write(kRegRecordPointer, 1).Info.Status, rsTimeoutExpired);
}
