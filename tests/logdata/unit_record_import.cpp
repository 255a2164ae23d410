// Decoding of replies into the record table and the import rules, driven directly.
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

class ImportTest : public ::testing::Test {
protected:
    ImportTest() {
        State.AllDataMode = true;
        State.FirstRecord = 61990;
        State.RecordsRequested = 20;
        State.Interval = 1;
    }

    void Receive(std::int32_t record) {
        Importer.OnHoldingRegistersRead(Normal(), 256, 104,
                                        TFakeInstrument::RecordRegisters(record));
    }
    void ReceiveEmpty(std::int32_t pointer) {
        State.RecordPointer = pointer;
        Corvane::TRegValues empty(104, 65535);
        empty[5] = 7;
        Importer.OnHoldingRegistersRead(Normal(), 256, 104, empty);
    }
    std::vector<std::int32_t> NextBlocks() const {
        return {State.BlockList.begin(), State.BlockList.begin() + State.BlockCount};
    }

    TFakeInstrument Instrument;
    TTestHost Host{Instrument};
    TDownloadState State;
    TRecordImporter Importer{State, Host};
};

} // namespace

TEST_F(ImportTest, EmptyRecordInsideTheWindowIsStoredInTheRowBeingRead) {
    ReceiveEmpty(61995);
    const TRecordTable& table = Importer.RecordTable();
    EXPECT_EQ(table.Text(61995, 0), "61995");
    EXPECT_EQ(table.Text(61995, 1), "65535");
    EXPECT_EQ(table.Text(61995, 5), "7");
    EXPECT_EQ(table.Text(61995, 83), "65535");
    EXPECT_TRUE(Importer.ReceivedRows().Contains(61995));
    EXPECT_EQ(State.ReceivedCount, 1);
    EXPECT_TRUE(State.ReadCompleted);

    ReceiveEmpty(62015); // not a record number, outside the window
    EXPECT_EQ(State.ReceivedCount, 1);
    EXPECT_EQ(Importer.ReceivedRows().Count(), 1);
    EXPECT_FALSE(table.HasValue(62015, 0));
}

TEST_F(ImportTest, WindowIsTheRecordsAfterTheFirstOneUpToNTimesInterval) {
    // Records 61991..62000 and 0..9: the newest is kept, the first record itself is not.
    EXPECT_EQ(Importer.validRecord(61990), TRecordImporter::NotInWindow);
    EXPECT_EQ(Importer.validRecord(61991), 1);
    EXPECT_EQ(Importer.validRecord(9), 20);
    EXPECT_EQ(Importer.validRecord(10), TRecordImporter::NotInWindow);
    ReceiveEmpty(9);
    EXPECT_EQ(Importer.RecordTable().Text(9, 0), "9");

    // A date window across the wrap whose end lies far from the current record.
    EXPECT_EQ(TRecordImporter::WindowPosition(5, 61995, 20, 1), 11);
    EXPECT_EQ(TRecordImporter::WindowPosition(61994, 61995, 20, 1), TRecordImporter::NotInWindow);
    EXPECT_EQ(TRecordImporter::WindowPosition(30, 0, 10, 3), 30);
    EXPECT_EQ(TRecordImporter::WindowPosition(31, 0, 10, 3), TRecordImporter::NotInWindow);
    EXPECT_EQ(TRecordImporter::WindowPosition(-1, 0, 10, 3), TRecordImporter::NotInWindow);
}

TEST_F(ImportTest, FailedRepliesLeaveTheTableAloneAndClearTheAcknowledgement) {
    Corvane::TTransactionInfo timeout;
    timeout.Status = Corvane::rsTimeoutExpired;
    State.WriteAcknowledged = true;
    Importer.OnHoldingRegistersRead(timeout, 256, 104, TFakeInstrument::RecordRegisters(5));
    EXPECT_FALSE(State.WriteAcknowledged);
    EXPECT_FALSE(State.ReadCompleted);
    EXPECT_FALSE(Importer.RecordTable().HasValue(5, 1));

    // A normal read also clears the acknowledgement.
    State.WriteAcknowledged = true;
    Receive(5);
    EXPECT_FALSE(State.WriteAcknowledged);
    EXPECT_EQ(Importer.RecordTable().Text(5, 1), "5");
}

TEST_F(ImportTest, OneRegisterReadsLeaveTheirValueInItsOwnRow) {
    Importer.OnHoldingRegistersRead(Normal(), 3, 1, {1234});
    EXPECT_EQ(Importer.RecordTable().Text(1234, 0), "1234");
    EXPECT_EQ(State.RecordPointer, 1234);
    EXPECT_EQ(State.CurrentRecord, 0);
    Importer.OnHoldingRegistersRead(Normal(), 230, 1, {65535});
    EXPECT_EQ(State.CurrentRecord, 65535);
    EXPECT_EQ(Importer.RecordTable().Text(65535, 0), "65535");
    // A reply without values is ignored rather than read past its end.
    State.ReadCompleted = false;
    Importer.OnHoldingRegistersRead(Normal(), 2, 1, {});
    EXPECT_FALSE(State.ReadCompleted);
}

TEST_F(ImportTest, ShortBlocksAreNotStoredAndOtherStartsAreRemembered) {
    Importer.OnHoldingRegistersRead(Normal(), 256, 10, Corvane::TRegValues(10, 3));
    EXPECT_EQ(State.ReceivedCount, 0);
    EXPECT_TRUE(State.ReadCompleted);
    Importer.OnHoldingRegistersRead(Normal(), 500, 104, TFakeInstrument::RecordRegisters(42));
    EXPECT_EQ(State.LastRegisterCount, 104);
    EXPECT_EQ(Importer.RecordTable().Text(42, 1), "42");
    // Outside both layouts (no download has selected one) nothing is stored.
    State.AllDataMode = false;
    Receive(43);
    EXPECT_FALSE(Importer.RecordTable().HasValue(43, 1));
}

TEST_F(ImportTest, SizeTableReadKeepsFortyFiveRegisters) {
    State.SizeDataMode = true;
    Corvane::TRegValues table(88);
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<std::uint16_t>(i);
    }
    Importer.OnHoldingRegistersRead(Normal(), 256, 88, table);
    EXPECT_EQ(Importer.SizeData().Text(0), "0");
    EXPECT_EQ(Importer.SizeData().Text(44), "44");
    EXPECT_EQ(Importer.SizeData().Text(45), "");
    EXPECT_EQ(State.ReceivedCount, 0);
}

TEST_F(ImportTest, ProgressCountsReceivedRecordsAndTurnsWhiteAboveFortyEight) {
    for (std::int32_t r = 61991; r <= 62000; ++r) {
        Receive(r);
        EXPECT_EQ(Host.ProgressWhite[pbReceived], Host.Progress[pbReceived] > 48);
    }
    EXPECT_EQ(Host.Progress[pbReceived], 50);
    State.RecordsRequested = 0; // no division by zero
    Receive(1);
    EXPECT_EQ(Host.Progress[pbReceived], 0);
}

TEST_F(ImportTest, CompletePassImportsEveryRecordAndLeavesNothingToAsk) {
    for (std::int32_t k = 1; k <= 20; ++k) {
        Receive((61990 + k) % 62001);
    }
    Importer.importData();
    EXPECT_EQ(Importer.List().Count(), 20);
    EXPECT_EQ(State.ImportedCount, 20);
    EXPECT_TRUE(State.ListComplete);
    EXPECT_EQ(State.BlockCount, 0);
    EXPECT_EQ(Host.Progress[pbImported], 100);
    EXPECT_EQ(Host.DisplayText, "Data cleanup... Please wait...");
}

TEST_F(ImportTest, MissingRunsAreAskedOneInFourteenPerPass) {
    State.FirstRecord = 100;
    State.RecordsRequested = 40;
    Receive(101);
    Importer.importData();
    // 102..140 are missing: 102, then 116 and 130 (each skips the thirteen after it).
    EXPECT_EQ(NextBlocks(), (std::vector<std::int32_t>{102, 116, 130}));
    EXPECT_FALSE(State.ListComplete);

    // Interval 2 across the wrap: 61992 skips the thirteen records after it (up to 17 after
    // the wrap), so 19 is the next one asked for.
    State.FirstRecord = 61990;
    State.RecordsRequested = 20;
    State.Interval = 2;
    Importer.importData();
    EXPECT_EQ(NextBlocks(), (std::vector<std::int32_t>{61992, 19}));
}

TEST_F(ImportTest, PassWhoseFirstRowWasImportedBeforeImportsNothing) {
    Receive(61991);
    Importer.importData();
    ASSERT_EQ(Importer.List().Count(), 1);

    Receive(61991); // a late duplicate arrives first in the next pass
    Receive(61992);
    Importer.importData();
    EXPECT_EQ(Importer.List().Count(), 1);
    EXPECT_EQ(NextBlocks().front(), 61992); // asked again in the pass after
}

TEST_F(ImportTest, RowReceivedTwiceInOnePassIsImportedOnce) {
    Receive(61991);
    Receive(61992);
    Receive(61991);
    Importer.importData();
    EXPECT_EQ(Importer.List().Count(), 2);
    EXPECT_EQ(State.ImportedCount, 2);
}

TEST_F(ImportTest, RowWithAnEmptyValueCellEndsTheImportOfThePass) {
    Receive(61991);
    Receive(61992);
    Receive(61993);
    Importer.RecordTable().Clear(61992, 4); // the month of a shown date
    Importer.importData();
    EXPECT_EQ(Importer.List().Count(), 1);
    EXPECT_FALSE(Importer.ImportedRows().Contains(61992));
    EXPECT_EQ(NextBlocks().front(), 61992);
}

TEST_F(ImportTest, StopDuringTheImportSkipsTheMissingRecordRule) {
    Receive(61991);
    Receive(61992);
    State.AbortRequested = true;
    Importer.importData();
    EXPECT_EQ(Importer.List().Count(), 0);
    EXPECT_FALSE(State.ListComplete);
    EXPECT_EQ(State.BlockCount, 0);
}

TEST_F(ImportTest, SortLogsTheListCount) {
    Receive(61995);
    Receive(61991);
    Importer.importData();
    Importer.SortRecordList();
    EXPECT_EQ(Importer.List().Text(0, 0), "61991");
    EXPECT_TRUE(Host.HasLine("List Count: 2"));
}
