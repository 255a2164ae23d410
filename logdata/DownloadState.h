// The state of a download, as plain fields shared by the procedures (TDownloadEngine) and the
// decoding and import of the replies (TRecordImporter).
//
// Threads: main thread only. Owned by TDownloadEngine; read-only for everyone else.
#pragma once

#include <cstdint>
#include <vector>

namespace Sondrel {

struct TDownloadState {
    // Record numbers run 0..62000: the log holds 62001 records and wraps.
    static constexpr std::int32_t LastRecordNumber = 62000;
    static constexpr std::int32_t RecordSpace = 62001;

    std::int32_t RecordsRequested = 0; // N
    std::int32_t BlockCount = 0;       // blocks to read in the next pass
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
    std::int32_t ReceivedCount = 0;     // records stored since the download started
    std::int32_t ImportedCount = 0;     // records added to the list
    std::int32_t BlockOffset = 0;       // 0 for every all-data block
    std::int32_t LastRegisterCount = 0; // count of the last read of an unlisted start register
    bool ExportReady = false;           // a download has been finished and can be exported
};

} // namespace Sondrel
