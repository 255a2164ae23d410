// Decoding of replies into the record table and the import rules, driven directly.
#include "DownloadEngine.h"
#include "FakeInstrument.h"
#include "RecordImporter.h"
#include "TestHost.h"

#include <gtest/gtest.h>

using namespace Sondrel;

namespace {

Corvane::TTransactionInfo Normal() {
    Corvane::TTransactionInfo info;
    info.Status = Corvane::rsNormalResponse;
    return info;
}

// The fixture plays the engine: it sets the download state that the importer reads, and keeps
// the block list that an import returns.
class ImportTest : public ::testing::Test {
protected:
    ImportTest() {
        State.AllDataMode = true;
        State.FirstRecord = 61990;
        State.RecordsRequested = 20;
        State.Interval = 1;
    }

    TRecordImporter::TReadResult Receive(std::int32_t record) {
        return Importer.OnHoldingRegistersRead(Normal(), 256, 104,
                                               TFakeInstrument::RecordRegisters(record));
    }
    TRecordImporter::TReadResult ReceiveEmpty(std::int32_t pointer) {
        State.RecordPointer = pointer;
        Corvane::TRegValues empty(104, 65535);
        empty[5] = 7;
        return Importer.OnHoldingRegistersRead(Normal(), 256, 104, empty);
    }
    // Imports the pass; false when the import was stopped.
    bool Import() {
        const auto missing = Importer.importData();
        NextBlocks = missing.value_or(std::vector<std::int32_t>{});
        return missing.has_value();
    }

    TFakeInstrument Instrument;
    TTestHost Host{Instrument};
    TDownloadState State;
    TRecordImporter Importer{State, Host, Host};
    std::vector<std::int32_t> NextBlocks;
};

} // namespace

TEST_F(ImportTest, EmptyRecordInsideTheWindowIsStoredInTheRowBeingRead) {
    const auto found = ReceiveEmpty(61995);
    const TRecordTable& table = Importer.RecordTable();
    EXPECT_EQ(table.Text(61995, 0), "61995");
    EXPECT_EQ(table.Text(61995, 1), "65535");
    EXPECT_EQ(table.Text(61995, 5), "7");
    EXPECT_EQ(table.Text(61995, 83), "65535");
    EXPECT_TRUE(Importer.ReceivedRows().Contains(61995));
    EXPECT_EQ(Importer.ReceivedCount(), 1);
    EXPECT_TRUE(found.Completed);
    EXPECT_FALSE(found.RecordPointer); // a block read leaves the pointer to the engine

    (void)ReceiveEmpty(62015); // not a record number, outside the window
    EXPECT_EQ(Importer.ReceivedCount(), 1);
    EXPECT_EQ(Importer.ReceivedRows().Count(), 1);
    EXPECT_FALSE(table.HasValue(62015, 0));
}

TEST_F(ImportTest, WindowIsTheRecordsAfterTheFirstOneUpToNTimesInterval) {
    // Records 61991..62000 and 0..9: the newest is kept, the first record itself is not.
    EXPECT_EQ(Importer.validRecord(61990), TRecordImporter::NotInWindow);
    EXPECT_EQ(Importer.validRecord(61991), 1);
    EXPECT_EQ(Importer.validRecord(9), 20);
    EXPECT_EQ(Importer.validRecord(10), TRecordImporter::NotInWindow);
    (void)ReceiveEmpty(9);
    EXPECT_EQ(Importer.RecordTable().Text(9, 0), "9");

    // A date window across the wrap whose end lies far from the current record.
    EXPECT_EQ(TRecordImporter::WindowPosition(5, 61995, 20, 1), 11);
    EXPECT_EQ(TRecordImporter::WindowPosition(61994, 61995, 20, 1), TRecordImporter::NotInWindow);
    EXPECT_EQ(TRecordImporter::WindowPosition(30, 0, 10, 3), 30);
    EXPECT_EQ(TRecordImporter::WindowPosition(31, 0, 10, 3), TRecordImporter::NotInWindow);
    EXPECT_EQ(TRecordImporter::WindowPosition(-1, 0, 10, 3), TRecordImporter::NotInWindow);
}

TEST_F(ImportTest, FailedRepliesLeaveTheTableAloneAndCompleteNothing) {
    Corvane::TTransactionInfo timeout;
    timeout.Status = Corvane::rsTimeoutExpired;
    const auto found =
        Importer.OnHoldingRegistersRead(timeout, 256, 104, TFakeInstrument::RecordRegisters(5));
    EXPECT_FALSE(found.Completed);
    EXPECT_FALSE(found.RecordPointer);
    EXPECT_FALSE(Importer.RecordTable().HasValue(5, 1));
    EXPECT_TRUE(Receive(5).Completed);
    EXPECT_EQ(Importer.RecordTable().Text(5, 1), "5");
}

// The engine stores what a read found; every holding-register read, failed or not, clears the
// write acknowledgement.
TEST(EngineReadCompletion, EveryReadClearsTheAcknowledgementAndANormalOneCompletes) {
    TFakeInstrument instrument;
    TTestHost host{instrument};
    TDownloadEngine engine{host, host, host};
    Corvane::TTransactionInfo timeout;
    timeout.Status = Corvane::rsTimeoutExpired;

    engine.OnSingleRegisterWrite(Normal(), 254, 5);
    ASSERT_TRUE(engine.State().WriteAcknowledged);
    engine.OnHoldingRegistersRead(timeout, 256, 104, TFakeInstrument::RecordRegisters(5));
    EXPECT_FALSE(engine.State().WriteAcknowledged);
    EXPECT_FALSE(engine.State().ReadCompleted);

    // A normal read also clears the acknowledgement.
    engine.OnSingleRegisterWrite(Normal(), 254, 5);
    ASSERT_TRUE(engine.State().WriteAcknowledged);
    engine.OnHoldingRegistersRead(Normal(), 3, 1, {1234});
    EXPECT_FALSE(engine.State().WriteAcknowledged);
    EXPECT_TRUE(engine.State().ReadCompleted);
    EXPECT_EQ(engine.State().RecordPointer, 1234);
    EXPECT_EQ(engine.State().CurrentRecord, 0);
    engine.OnHoldingRegistersRead(Normal(), 230, 1, {4321});
    EXPECT_EQ(engine.State().RecordPointer, 4321);
    EXPECT_EQ(engine.State().CurrentRecord, 4321);
    EXPECT_EQ(engine.RecordTable().Text(4321, 0), "4321");
}

TEST_F(ImportTest, OneRegisterReadsLeaveTheirValueInItsOwnRow) {
    const auto low = Importer.OnHoldingRegistersRead(Normal(), 3, 1, {1234});
    EXPECT_EQ(Importer.RecordTable().Text(1234, 0), "1234");
    EXPECT_TRUE(low.Completed);
    EXPECT_EQ(low.RecordPointer, 1234);
    EXPECT_FALSE(low.CurrentRecord);
    const auto search = Importer.OnHoldingRegistersRead(Normal(), 230, 1, {65535});
    EXPECT_EQ(search.RecordPointer, 65535);
    EXPECT_EQ(search.CurrentRecord, 65535);
    EXPECT_EQ(Importer.RecordTable().Text(65535, 0), "65535");
    // A reply without values is ignored rather than read past its end.
    const auto empty = Importer.OnHoldingRegistersRead(Normal(), 2, 1, {});
    EXPECT_FALSE(empty.Completed);
    EXPECT_FALSE(empty.RecordPointer);
}

TEST_F(ImportTest, ShortBlocksAreNotStoredAndOtherStartsAreRemembered) {
    const auto shortBlock =
        Importer.OnHoldingRegistersRead(Normal(), 256, 10, Corvane::TRegValues(10, 3));
    EXPECT_EQ(Importer.ReceivedCount(), 0);
    EXPECT_TRUE(shortBlock.Completed);
    const auto other =
        Importer.OnHoldingRegistersRead(Normal(), 500, 104, TFakeInstrument::RecordRegisters(42));
    EXPECT_TRUE(other.Completed);
    EXPECT_EQ(Importer.LastRegisterCount(), 104);
    EXPECT_EQ(Importer.RecordTable().Text(42, 1), "42");
    // Outside both layouts (no download has selected one) nothing is stored.
    State.AllDataMode = false;
    (void)Receive(43);
    EXPECT_FALSE(Importer.RecordTable().HasValue(43, 1));
}

TEST_F(ImportTest, SizeTableReadKeepsFortyFiveRegisters) {
    State.SizeDataMode = true;
    Corvane::TRegValues table(88);
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<std::uint16_t>(i);
    }
    EXPECT_TRUE(Importer.OnHoldingRegistersRead(Normal(), 256, 88, table).Completed);
    EXPECT_EQ(Importer.SizeData().Text(0), "0");
    EXPECT_EQ(Importer.SizeData().Text(44), "44");
    EXPECT_EQ(Importer.SizeData().Text(45), "");
    EXPECT_EQ(Importer.ReceivedCount(), 0);
}

TEST_F(ImportTest, ProgressCountsReceivedRecordsAndTurnsWhiteAboveFortyEight) {
    for (std::int32_t r = 61991; r <= 62000; ++r) {
        (void)Receive(r);
        EXPECT_EQ(Host.ProgressWhite[pbReceived], Host.Progress[pbReceived] > 48);
    }
    EXPECT_EQ(Host.Progress[pbReceived], 50);
    State.RecordsRequested = 0; // no division by zero
    (void)Receive(1);
    EXPECT_EQ(Host.Progress[pbReceived], 0);
}

TEST_F(ImportTest, CompletePassImportsEveryRecordAndLeavesNothingToAsk) {
    for (std::int32_t k = 1; k <= 20; ++k) {
        (void)Receive((61990 + k) % 62001);
    }
    EXPECT_TRUE(Import());
    EXPECT_EQ(Importer.List().Count(), 20);
    EXPECT_EQ(Importer.ImportedCount(), 20);
    EXPECT_TRUE(NextBlocks.empty());
    EXPECT_EQ(Host.Progress[pbImported], 100);
    EXPECT_EQ(Host.DisplayText, "Data cleanup... Please wait...");
}

TEST_F(ImportTest, MissingRunsAreAskedOneInFourteenPerPass) {
    State.FirstRecord = 100;
    State.RecordsRequested = 40;
    (void)Receive(101);
    EXPECT_TRUE(Import());
    // 102..140 are missing: 102, then 116 and 130 (each skips the thirteen after it).
    EXPECT_EQ(NextBlocks, (std::vector<std::int32_t>{102, 116, 130}));

    // Interval 2 across the wrap: 61992 skips the thirteen records after it (up to 17 after
    // the wrap), so 19 is the next one asked for.
    State.FirstRecord = 61990;
    State.RecordsRequested = 20;
    State.Interval = 2;
    EXPECT_TRUE(Import());
    EXPECT_EQ(NextBlocks, (std::vector<std::int32_t>{61992, 19}));
}

TEST_F(ImportTest, PassWhoseFirstRowWasImportedBeforeImportsNothing) {
    (void)Receive(61991);
    EXPECT_TRUE(Import());
    ASSERT_EQ(Importer.List().Count(), 1);

    (void)Receive(61991); // a late duplicate arrives first in the next pass
    (void)Receive(61992);
    EXPECT_TRUE(Import());
    EXPECT_EQ(Importer.List().Count(), 1);
    ASSERT_FALSE(NextBlocks.empty());
    EXPECT_EQ(NextBlocks.front(), 61992); // asked again in the pass after
}

TEST_F(ImportTest, RowReceivedTwiceInOnePassIsImportedOnce) {
    (void)Receive(61991);
    (void)Receive(61992);
    (void)Receive(61991);
    EXPECT_TRUE(Import());
    EXPECT_EQ(Importer.List().Count(), 2);
    EXPECT_EQ(Importer.ImportedCount(), 2);
}

TEST_F(ImportTest, RowWithAnEmptyValueCellEndsTheImportOfThePass) {
    (void)Receive(61991);
    (void)Receive(61992);
    (void)Receive(61993);
    Importer.RecordTable().Clear(61992, 4); // the month of a shown date
    EXPECT_TRUE(Import());
    EXPECT_EQ(Importer.List().Count(), 1);
    EXPECT_FALSE(Importer.ImportedRows().Contains(61992));
    ASSERT_FALSE(NextBlocks.empty());
    EXPECT_EQ(NextBlocks.front(), 61992);
}

TEST_F(ImportTest, StopDuringTheImportSkipsTheMissingRecordRule) {
    (void)Receive(61991);
    (void)Receive(61992);
    State.AbortRequested = true;
    EXPECT_FALSE(Import()); // no block list: the missing records were not looked for
    EXPECT_EQ(Importer.List().Count(), 0);
    EXPECT_TRUE(NextBlocks.empty());
}

TEST_F(ImportTest, SortLogsTheListCount) {
    (void)Receive(61995);
    (void)Receive(61991);
    EXPECT_TRUE(Import());
    Importer.SortRecordList();
    EXPECT_EQ(Importer.List().Text(0, 0), "61991");
    EXPECT_TRUE(Host.HasLine("List Count: 2"));
}
