// Decoding of the instrument's replies into the record table, and the import of the table into
// the record list.
//
// - OnHoldingRegistersRead: the download side of every holding-register read completion
//   (one-register reads of the current record and of the date search, record blocks, the size
//   table). It returns what the read found; the engine stores it in the download state.
// - StoreRecordBlock: one all-data block into its row of the record table; an empty record
//   (state word 65535) goes to the row being read, when that row lies in the requested window.
// - importData: after each read pass, the rows received in that pass become list items, then
//   it returns the records of the window that the list still lacks, the block list of the next
//   pass (at most one of every fourteen consecutive missing records per pass).
// - SortRecordList: the final sort with one item per record index; "List Count: n", and
//   "N of the records read were empty." when the list holds empty records.
//
// The requested window is the N records FirstRecord + k x Interval for k = 1..N (record numbers
// wrap at 62001), exactly the records that the first pass's block list reads. A "New records"
// download wants only some records of its window (SetWanted): the others are in the archive
// already, and the missing-record rule never asks for them.
//
// Threads: main thread only. Owns the record table, the record list, the size table, the row
// lists and the received and imported counts; reads the download state, which TDownloadEngine
// owns and writes. The host and the view are borrowed.
#pragma once

#include "DownloadHost.h"
#include "DownloadState.h"
#include "DownloadView.h"
#include "ModbusTransaction.h"
#include "ModbusTypes.h"
#include "RecordList.h"
#include "RecordTable.h"
#include "RowList.h"
#include "SizeTable.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace Sondrel {

class TRecordImporter {
public:
    // What validRecord returns for a record outside the window.
    static constexpr std::int32_t NotInWindow = -999;
    static constexpr std::int32_t SkipWindowSize = 14;

    // What a holding-register read found, for the engine to store.
    struct TReadResult {
        // The read counts as completed (ReadCompleted).
        bool Completed = false;
        // A one-register read's value, which names its row (RecordPointer).
        std::optional<std::int32_t> RecordPointer;
        // The date search's result (CurrentRecord).
        std::optional<std::int64_t> CurrentRecord;
    };

    TRecordImporter(const TDownloadState& state, TDownloadHost& host,
                    TDownloadView& view = TDownloadView::None());

    TRecordTable& RecordTable() { return FTable; }
    const TRecordTable& RecordTable() const { return FTable; }
    TRecordList& List() { return FList; }
    const TRecordList& List() const { return FList; }
    TSizeTable& SizeData() { return FSizeData; }
    const TSizeTable& SizeData() const { return FSizeData; }
    TRowList& ReceivedRows() { return FReceivedRows; }
    TRowList& ImportedRows() { return FImportedRows; }

    [[nodiscard]] TReadResult OnHoldingRegistersRead(const Corvane::TTransactionInfo& info,
                                                     std::uint16_t startReg, std::uint16_t regCount,
                                                     const Corvane::TRegValues& values);
    void StoreRecordBlock(const Corvane::TRegValues& values);

    // Records stored since the counts were cleared, and records added to the list.
    std::int32_t ReceivedCount() const { return FReceivedCount; }
    std::int32_t ImportedCount() const { return FImportedCount; }
    // The count of the last read of a start register that is not one of the download's own.
    std::int32_t LastRegisterCount() const { return FLastRegisterCount; }
    // A download starts counting from zero; it wants every record of its window again.
    void ClearCounts();
    // Only these records of the window are wanted (nothing: all of them); count of them is what
    // the received progress bar counts to.
    void SetWanted(const std::vector<std::int32_t>& records);
    // Position (1..N x Interval) of record n after FirstRecord, or NotInWindow.
    std::int32_t validRecord(std::int32_t n) const;
    // The same rule with its inputs given: the offset of n after first, wrapped at 62001.
    static std::int32_t WindowPosition(std::int32_t n, std::int32_t first, std::int32_t count,
                                       std::int32_t interval);
    // Imports the pass; the records to ask for in the next pass (empty: the list is complete),
    // or none when a stop came during the import (the missing records were not looked for).
    [[nodiscard]] std::optional<std::vector<std::int32_t>> importData();
    void SortRecordList();

private:
    void ImportReceivedRows();
    std::vector<std::int32_t> FindMissingRecords();
    bool InSkipWindow(std::int32_t n) const;

    const TDownloadState& S;
    TDownloadHost& FHost;
    TDownloadView& FView;
    std::int32_t FReceivedCount = 0;
    std::int32_t FImportedCount = 0;
    std::int32_t FLastRegisterCount = 0;
    TRecordTable FTable;
    TRecordList FList;
    TSizeTable FSizeData;
    TRowList FReceivedRows;
    TRowList FImportedRows;
    std::array<std::int32_t, SkipWindowSize> FSkipWindow{};
    // Record numbers wanted, when not every record of the window is.
    std::vector<bool> FWanted;
    std::int32_t FWantedCount = 0;
};

} // namespace Sondrel
