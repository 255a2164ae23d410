// The simulated log: deterministic record contents, the all-data block layout, partly filled
// and wrapping logs, empty records, sampling, erase and the date lookup.
#include "InstrumentLog.h"
#include "RecordGenerator.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace SondrelSim;

namespace {

const TRecordTime kNow = *TRecordTime::FromCalendar(2024, 3, 7, 9, 5);

std::uint32_t DisplayedCounts(const TRecordBlock& block, int highOffset) {
    // The download shows counts as high x 65535 + low.
    return block[static_cast<std::size_t>(highOffset)] * 65535u +
           block[static_cast<std::size_t>(highOffset + 1)];
}

} // namespace

TEST(RecordContents, SameSeedGivesTheSameLogAndAnotherSeedAnotherOne) {
    const TInstrumentLog a(7, 100, kRecordCount, kNow);
    const TInstrumentLog b(7, 100, kRecordCount, kNow);
    const TInstrumentLog c(8, 100, kRecordCount, kNow);
    int differing = 0;
    for (int r : {0, 1, 50, 100, 30000, 62000}) {
        EXPECT_EQ(a.Block(r), b.Block(r)) << "record " << r;
        differing += a.Block(r) != c.Block(r) ? 1 : 0;
    }
    EXPECT_EQ(differing, 6);
}

TEST(RecordContents, BlockCarriesNumberTimeStampAndStateAtTheirOffsets) {
    const TInstrumentLog log(1, 10, kRecordCount, kNow);
    const TRecordBlock current = log.Block(10);
    EXPECT_EQ(current[kStateWord], 0);
    EXPECT_EQ(current[kRecordNumber], 10);
    EXPECT_EQ(current[kYear], 2024);
    EXPECT_EQ(current[kMonth], 3);
    EXPECT_EQ(current[kDay], 7);
    EXPECT_EQ(current[kHour], 9);
    EXPECT_EQ(current[kMinute], 5);

    // One record a minute counting back, across the wrap from 0 to 62000 and midnight.
    const TRecordBlock older = log.Block(62000); // 11 records before the current one
    EXPECT_EQ(older[kRecordNumber], 62000);
    EXPECT_EQ(older[kHour], 8);
    EXPECT_EQ(older[kMinute], 54);
    const TRecordBlock dayBefore = log.Block(62000 - 9 * 60); // 60 * 9 + 11 minutes back
    EXPECT_EQ(dayBefore[kDay], 6);
    EXPECT_EQ(dayBefore[kHour], 23);
    EXPECT_EQ(dayBefore[kMinute], 54);
    for (int offset = kUsedRegisters; offset < kBlockSize; ++offset) {
        EXPECT_EQ(current[static_cast<std::size_t>(offset)], 0) << "unused offset " << offset;
    }
}

TEST(RecordContents, CountsFallWithChannelSizeAndTheTotalIsTheirSum) {
    const TInstrumentLog log(3, 5000, kRecordCount, kNow);
    for (int r = 3000; r < 3400; ++r) {
        const TRecordBlock block = log.Block(r);
        std::uint32_t sum = 0;
        std::uint32_t previous = UINT32_MAX;
        for (int k = 1; k <= kChannelCount; ++k) {
            EXPECT_LT(block[static_cast<std::size_t>(ChannelCountsLow(k))], 65535)
                << "the low word stays below the display base";
            const std::uint32_t counts = DisplayedCounts(block, ChannelCountsHigh(k));
            EXPECT_LE(counts, previous) << "record " << r << " channel " << k;
            previous = counts;
            sum += counts;
            EXPECT_LT(block[static_cast<std::size_t>(PpbHundredths(k))], 100);
        }
        EXPECT_EQ(DisplayedCounts(block, kTotalCountsHigh), sum) << "record " << r;
        EXPECT_NE(DisplayedCounts(block, ChannelCountsHigh(1)), 65535u)
            << "65535 in channel 1 marks an empty record";
        EXPECT_GE(block[kCellCondition], 90);
        EXPECT_LE(block[kCellCondition], 100);
        EXPECT_GE(block[kLaserCondition], 95);
        EXPECT_LE(block[kLaserCondition], 100);
        EXPECT_GE(block[kFlowRate], 278);
        EXPECT_LE(block[kFlowRate], 288);
    }
}

TEST(RecordContents, CountsAboveOneWordOccurAndUseTheHighWord) {
    const TInstrumentLog log(1, 10, kRecordCount, kNow);
    int high = 0;
    int hundredths = 0;
    for (int r = 0; r < 500; ++r) {
        const TRecordBlock block = log.Block(r);
        if (block[static_cast<std::size_t>(ChannelCountsHigh(1))] > 0) {
            ++high;
            EXPECT_GT(DisplayedCounts(block, ChannelCountsHigh(1)), 65535u);
        }
        hundredths += block[static_cast<std::size_t>(PpbHundredths(5))] != 0 ? 1 : 0;
    }
    EXPECT_GT(high, 5) << "bursts above 65535 occur";
    EXPECT_LT(high, 250) << "but only occasionally";
    EXPECT_GT(hundredths, 250) << "PPB carry hundredths";
}

TEST(PartlyFilledLog, OnlyTheNewestRecordsHoldDataAcrossTheWrap) {
    const TInstrumentLog log(1, 2, 5, kNow);
    for (int r : {62000, 0, 1, 2, 61999}) {
        EXPECT_TRUE(log.IsFilled(r)) << r;
    }
    for (int r : {61998, 3, 30000}) {
        EXPECT_FALSE(log.IsFilled(r)) << r;
        EXPECT_FALSE(log.RecordTime(r).has_value());
    }
    EXPECT_EQ(log.Block(61999)[kRecordNumber], 61999);
}

TEST(PartlyFilledLog, EmptyRecordReadsLikeErasedMemoryWithCountsOf65535) {
    const TInstrumentLog log(1, 10, 0, kNow);
    const TRecordBlock block = log.Block(10);
    EXPECT_EQ(block[kStateWord], kEmptyState);
    EXPECT_EQ(block[kRecordNumber], 65535);
    EXPECT_EQ(block[kYear], 65535);
    for (int k = 1; k <= kChannelCount; ++k) {
        EXPECT_EQ(DisplayedCounts(block, ChannelCountsHigh(k)), 65535u) << "channel " << k;
    }
    EXPECT_EQ(DisplayedCounts(block, kTotalCountsHigh), 65535u);
}

TEST(Sampling, NewRecordWrapsFrom62000To0AndOverwritesTheOldest) {
    TInstrumentLog log(1, 62000, kRecordCount, kNow);
    const TRecordBlock before = log.Block(0); // the oldest record
    log.AppendSample();
    EXPECT_EQ(log.CurrentRecord(), 0);
    EXPECT_EQ(log.FilledCount(), kRecordCount);
    EXPECT_EQ(log.CurrentTime(), kNow + 1);
    const TRecordBlock after = log.Block(0);
    EXPECT_EQ(after[kMinute], 6);
    EXPECT_NE(before, after);
    EXPECT_EQ(log.Block(62000)[kMinute], 5) << "the previous current record is unchanged";
}

TEST(Sampling, PartlyFilledLogGrowsByOneRecord) {
    TInstrumentLog log(1, 10, 3, kNow);
    log.AppendSample();
    EXPECT_EQ(log.CurrentRecord(), 11);
    EXPECT_EQ(log.FilledCount(), 4);
    EXPECT_TRUE(log.IsFilled(8));
    EXPECT_FALSE(log.IsFilled(7));
}

TEST(Erase, EveryRecordIsEmptyAndTheNextSampleGoesToRecordOne) {
    TInstrumentLog log(1, 500, kRecordCount, kNow);
    log.Erase();
    EXPECT_EQ(log.CurrentRecord(), 0);
    for (int r : {0, 1, 500, 62000}) {
        EXPECT_EQ(log.Block(r)[kStateWord], kEmptyState) << r;
    }
    log.AppendSample();
    EXPECT_EQ(log.CurrentRecord(), 1);
    EXPECT_TRUE(log.IsFilled(1));
    EXPECT_FALSE(log.IsFilled(0));
    EXPECT_EQ(log.Block(1)[kMinute], 6) << "the clock kept running";
}

TEST(DateLookup, FindsTheRecordOfThatMinuteInsideTheFilledLogOnly) {
    const TInstrumentLog log(1, 3, 100, kNow);
    EXPECT_EQ(log.FindAtOrAfter(kNow), 3);
    EXPECT_EQ(log.FindAtOrAfter(kNow - 4), 62000);
    EXPECT_EQ(log.FindAtOrAfter(kNow - 99), 3 - 99 + kRecordCount) << "the oldest record";
    EXPECT_FALSE(log.FindAtOrAfter(kNow - 100)) << "older than the oldest record";
    EXPECT_FALSE(log.FindAtOrAfter(kNow + 1)) << "later than the current record";
    EXPECT_FALSE(TInstrumentLog(1, 3, 0, kNow).FindAtOrAfter(kNow)) << "empty log";
}
