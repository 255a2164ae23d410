// The instrument's register protocol over a pseudo-terminal, driven by our own client the
// way the two download procedures drive it.
#include "SimulatorFixture.h"

#include "ChannelSizeTable.h"

using namespace Corvane;
using namespace SondrelSim;
using namespace SimTest;

namespace {

TRegValues ToValues(const TRecordBlock& block) {
    return TRegValues(block.begin(), block.end());
}

} // namespace

using Protocol = SimulatorFixture;

TEST_F(Protocol, CurrentRecordReadsAsHighWordInTwoAndLowWordInThree) {
    TInstrumentSettings instrument = DefaultInstrument();
    instrument.CurrentRecord = 61234;
    Start({}, instrument);
    EXPECT_EQ(ReadOk(2, 1), TRegValues{0});
    EXPECT_EQ(ReadOk(3, 1), TRegValues{61234});
}

TEST_F(Protocol, RecentRecordsAcrossTheWrapComeBackOneMinuteApart) {
    Start();
    // 20 recent records at current record 10: blocks 61992..62000, then 0..10.
    std::vector<int> blocks;
    for (int r = 61992; r <= 62000; ++r) {
        blocks.push_back(r);
    }
    for (int r = 0; r <= 10; ++r) {
        blocks.push_back(r);
    }
    int previousMinutes = -1;
    for (int r : blocks) {
        WriteOk(kRegRecordPointer, static_cast<std::uint16_t>(r));
        const TRegValues block = ReadOk(kRegBlockStart, kBlockSize);
        ASSERT_EQ(block, ToValues(Model().Log().Block(r))) << "record " << r;
        EXPECT_EQ(block[kRecordNumber], r);
        const int minutes = block[kHour] * 60 + block[kMinute];
        if (previousMinutes >= 0) {
            EXPECT_EQ(minutes, previousMinutes + 1) << "record " << r;
        }
        previousMinutes = minutes;
    }
    EXPECT_EQ(previousMinutes, 9 * 60 + 5) << "the current record carries the current time";
}

TEST_F(Protocol, DateSearchGivesTheRecordOfThatMinuteOr65535) {
    Start();
    // The Log Data download's order: minute, hour, day, month, then read 230.
    WriteOk(kRegSearchMinute, 54);
    WriteOk(kRegSearchHour, 8);
    WriteOk(kRegSearchDay, 7);
    WriteOk(kRegSearchMonth, 3);
    EXPECT_EQ(ReadOk(kRegSearchResult, 1), TRegValues{62000});
    WriteOk(kRegSearchMonth, 4);
    EXPECT_EQ(ReadOk(kRegSearchResult, 1), TRegValues{65535}) << "after the current record";
}

TEST_F(Protocol, SizeTableOnlyForItsOwnReadThenRecordsInTheWholeLogSelection) {
    Start();
    const TSizeTableRegisters table = TChannelSizeTable::Registers();
    // The whole-log download: size table step, then the record selection.
    WriteOk(kRegOutputA, 1);
    WriteOk(kRegOutputB, 0);
    WriteOk(kRegNthRecord, 1);
    const TRegValues current = ReadOk(kRegCurrentLow, 1);
    ASSERT_EQ(current, TRegValues{10});
    WriteOk(kRegRecordPointer, 9);
    EXPECT_EQ(ReadOk(kRegBlockStart, kSizeTableCount), TRegValues(table.begin(), table.end()));
    WriteOk(kRegOutputA, 0);
    WriteOk(kRegOutputB, 65535);
    WriteOk(kRegNthRecord, 0);
    EXPECT_EQ(ReadOk(kRegBlockStart, kSizeTableCount).at(kRecordNumber), 9)
        << "no size table without the selection";
    WriteOk(kRegOutputB, 0);
    WriteOk(kRegOutputA, 1);
    WriteOk(kRegNthRecord, 1);
    WriteOk(kRegRecordPointer, 1);
    EXPECT_EQ(ReadOk(kRegBlockStart, kBlockSize), ToValues(Model().Log().Block(1)));
}

TEST_F(Protocol, EveryWriteOfTheProceduresIsAcknowledged) {
    Start();
    const std::pair<std::uint16_t, std::uint16_t> writes[] = {
        {246, 10}, {245, 85}, {243, 65535}, {244, 65535}, {244, 0}, {243, 5},     {255, 3},
        {253, 5},  {252, 9},  {251, 7},     {250, 3},     {243, 1}, {244, 0},     {255, 1},
        {254, 9},  {243, 0},  {244, 65535}, {255, 0},     {254, 0}, {254, 62000}, {249, 1},
        {245, 85}, {246, 11}, {244, 0},     {243, 0}};
    for (const auto& [reg, value] : writes) {
        WriteOk(reg, value);
    }
}

TEST_F(Protocol, EraseEmptiesTheLogAndRestartsTheCurrentRecord) {
    Start();
    WriteOk(kRegErase, kEraseValue);
    EXPECT_EQ(ReadOk(kRegCurrentHigh, 2), (TRegValues{0, 0}));
    WriteOk(kRegRecordPointer, 5);
    const TRegValues block = ReadOk(kRegBlockStart, kBlockSize);
    EXPECT_EQ(block.at(kStateWord), kEmptyState);
}

TEST_F(Protocol, RefusalsAreExceptionReplies) {
    Start();
    const auto exceptionOf = [](const Completion& c) {
        EXPECT_EQ(c.Info.Status, rsExceptionResponse);
        return c.Info.ExceptionCode;
    };
    EXPECT_EQ(exceptionOf(Write(kRegCommand, 12)), 3) << "unknown command";
    EXPECT_EQ(exceptionOf(Write(kRegRecordPointer, 62001)), 3) << "no such record";
    EXPECT_EQ(exceptionOf(Write(kRegCurrentLow, 5)), 2) << "read-only register";
    EXPECT_EQ(exceptionOf(Read(300, 104)), 2) << "past the block window";
    EXPECT_EQ(ReadOk(kRegRecordPointer, 1), TRegValues{0}) << "refused writes change nothing";
}

TEST_F(Protocol, WriteMultipleRegistersIsCheckedAsAWhole) {
    Start();
    EXPECT_EQ(WriteMany(kRegSearchMonth, {3, 7, 8, 54}).Info.Status, rsNormalResponse);
    EXPECT_EQ(ReadOk(kRegSearchResult, 1), TRegValues{62000});
    const Completion refused = WriteMany(kRegSearchMonth, {4, 7, 8, 60});
    EXPECT_EQ(refused.Info.Status, rsExceptionResponse);
    EXPECT_EQ(ReadOk(kRegSearchMonth, 1), TRegValues{3}) << "nothing of a refused request";
}

TEST_F(Protocol, AsciiFramingServesTheSameRegisters) {
    Start({}, DefaultInstrument(), 1, tmASCII);
    EXPECT_EQ(ReadOk(kRegCurrentLow, 1), TRegValues{10});
    WriteOk(kRegRecordPointer, 62000);
    EXPECT_EQ(ReadOk(kRegBlockStart, kBlockSize), ToValues(Model().Log().Block(62000)));
}

TEST_F(Protocol, InstrumentsSharingOneLineAnswerEachAtItsAddressFromALogOfItsOwn) {
    TSimulatorOptions options;
    options.UsePty = true;
    options.Instrument = DefaultInstrument();
    options.Addresses = {1, 2};
    options.SamplePeriodMs = 0;
    StartWith(options);
    ASSERT_NE(&Simulator->Model(1), &Simulator->Model(2));
    // A sample of the first one only: the second one's log stays as it was.
    Simulator->Model(1).AppendSample();
    Client.SetServerAddress(2);
    WriteOk(kRegRecordPointer, 10);
    const TRegValues second = ReadOk(kRegBlockStart, kBlockSize);
    EXPECT_EQ(second, ToValues(Simulator->Model(2).Log().Block(10)));
    Client.SetServerAddress(1);
    EXPECT_EQ(ReadOk(3, 1), TRegValues{11});
    WriteOk(kRegRecordPointer, 10);
    const TRegValues first = ReadOk(kRegBlockStart, kBlockSize);
    EXPECT_EQ(first, ToValues(Simulator->Model(1).Log().Block(10)));
    EXPECT_NE(first, second) << "the two logs have their own seeds";
    Client.SetServerAddress(2);
    EXPECT_EQ(ReadOk(3, 1), TRegValues{10});
    // An address that no instrument has is not answered.
    Client.SetServerAddress(3);
    EXPECT_EQ(Read(3, 1).Info.Status, rsTimeoutExpired);
    // Each answers Report Server ID with its own seed.
    EXPECT_NE(Simulator->ServerIdData(1), Simulator->ServerIdData(2));
}
