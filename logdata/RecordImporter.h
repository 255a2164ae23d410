// Decoding of the instrument's replies into the record table, and the import of the table into
// the record list.
//
// - OnHoldingRegistersRead: the download side of every holding-register read completion
//   (one-register reads of the current record and of the date search, record blocks, the size
//   table).
// - StoreRecordBlock: one all-data block into its row of the record table; an empty record
//   (state word 65535) goes to the row being read, when that row lies in the requested window.
// - importData: after each read pass, the rows received in that pass become list items, then
//   the records of the window that the list still lacks are put in the block list of the next
//   pass (at most one of every fourteen consecutive missing records per pass).
// - SortRecordList: the final sort with one item per record index.
//
// The requested window is the N records FirstRecord + k x Interval for k = 1..N (record numbers
// wrap at 62001), exactly the records that the first pass's block list reads.
//
// Threads: main thread only. Owns the record table, the record list, the size table and the
// row lists; shares the download state with TDownloadEngine, which owns both.
#pragma once

#include "DownloadHost.h"
#include "DownloadState.h"
#include "ModbusTransaction.h"
#include "ModbusTypes.h"
#include "RecordList.h"
#include "RecordTable.h"
#include "RowList.h"
#include "SizeTable.h"

#include <array>
#include <cstdint>

namespace Sondrel {

class TRecordImporter {
public:
    // What validRecord returns for a record outside the window.
    static constexpr std::int32_t NotInWindow = -999;
    static constexpr std::int32_t SkipWindowSize = 14;

    TRecordImporter(TDownloadState& state, TDownloadHost& host);

    TRecordTable& RecordTable() { return FTable; }
    const TRecordTable& RecordTable() const { return FTable; }
    TRecordList& List() { return FList; }
    const TRecordList& List() const { return FList; }
    TSizeTable& SizeData() { return FSizeData; }
    const TSizeTable& SizeData() const { return FSizeData; }
    TRowList& ReceivedRows() { return FReceivedRows; }
    TRowList& ImportedRows() { return FImportedRows; }

    void OnHoldingRegistersRead(const Corvane::TTransactionInfo& info, std::uint16_t startReg,
                                std::uint16_t regCount, const Corvane::TRegValues& values);
    void StoreRecordBlock(const Corvane::TRegValues& values);
    // Position (1..N x Interval) of record n after FirstRecord, or NotInWindow.
    std::int32_t validRecord(std::int32_t n) const;
    // The same rule with its inputs given: the offset of n after first, wrapped at 62001.
    static std::int32_t WindowPosition(std::int32_t n, std::int32_t first, std::int32_t count,
                                       std::int32_t interval);
    void importData();
    void SortRecordList();

private:
    void ImportReceivedRows();
    void FindMissingRecords();
    bool InSkipWindow(std::int32_t n) const;

    TDownloadState& S;
    TDownloadHost& FHost;
    TRecordTable FTable;
    TRecordList FList;
    TSizeTable FSizeData;
    TRowList FReceivedRows;
    TRowList FImportedRows;
    std::array<std::int32_t, SkipWindowSize> FSkipWindow{};
};

} // namespace Sondrel
