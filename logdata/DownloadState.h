// The state of a download, as plain fields: the procedures' inputs, flags, delays, pointers and
// the block list of the next pass.
//
// Threads: main thread only. Owned and written by TDownloadEngine alone. The record importer
// reads it and returns what it found (a read's value, the records missing after a pass), which
// the engine stores; the importer's own counters (records received and imported) live in the
// importer. The export is given only the layout flag it needs (AllDataMode).
#pragma once

#include <cstdint>
#include <vector>

namespace Sondrel {

struct TDownloadState {
    // Record numbers run 0..62000: the log holds 62001 records and wraps.
    static constexpr std::int32_t LastRecordNumber = 62000;
    static constexpr std::int32_t RecordSpace = 62001;

    std::int32_t RecordsRequested = 0; // N
    std::int32_t BlockCount = 0;       // entries of BlockList to read in the next pass
    std::int32_t Interval = 1;         // every Interval-th record
    std::int32_t WriteDelay = 0;       // ms after register writes
    std::int32_t ReadDelay = 0;        // ms after block reads
    bool WriteAcknowledged = false;
    bool ReadCompleted = false;
    bool DownloadFailed = false;
    bool AbortRequested = false;
    bool ListComplete = false;
    // The instrument's current record; 64 bits because it is read as high word x 65536 + low.
    std::int64_t CurrentRecord = 0;
    std::int32_t RecordPointer = 0; // record of the block being read, or the last one-register read
    std::int32_t FirstRecord = 0;   // the window starts one interval after it
    std::int32_t PassNumber = 1;
    bool AllDataMode = false;
    bool FullDumpMode = false;
    bool SizeDataMode = false;
    std::vector<std::int32_t> BlockList = std::vector<std::int32_t>(RecordSpace, 0);
    std::int32_t BlockOffset = 0; // 0 for every all-data block
    bool ExportReady = false;     // a download has been finished and can be exported
};

} // namespace Sondrel
