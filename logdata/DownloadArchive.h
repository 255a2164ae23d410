// What a download tells the archive, and what "New records" asks of it.
//
// The engine calls, on the main thread, in this order for every download that gets past its
// input checks and estimate: DownloadStarted, then RecordRead for every record block of the
// all-data layout that arrives while the download runs (empty records included; the archive
// keeps those that hold a sample), then DownloadEnded. "New records" asks PlanNewRecords
// between the two, once the instrument's current record is known; reading the blocks the plan
// needs goes through the reader it is given. TakeFailure is polled after each pass and at the
// end: a failure to archive is reported once, and the download goes on.
//
// Threads: main thread only. The engine borrows the archive, which must outlive it; an archive
// may do its writing elsewhere (TArchiveRecorder hands it to a worker thread) but must not
// block the main thread for long.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

enum TDownloadKind : std::uint8_t { dkRecent, dkByDate, dkWhole, dkNew };

enum TDownloadOutcome : std::uint8_t {
    doComplete,   // finished with every record asked for
    doIncomplete, // finished with records still missing
    doStopped,    // stopped by the operator, the queue watch or a lost line
    doFailed      // a step failed
};

// The records a "New records" download reads: a window of WindowSize records after FirstRecord
// (wrapping at 62001), of which Records (oldest first) are missing from the archive.
struct TNewRecordsWindow {
    // Set when the plan could not be made (a record it needed could not be read).
    std::optional<std::string> Failure;
    std::int32_t FirstRecord = 0;
    std::int32_t WindowSize = 0;
    std::vector<std::int32_t> Records;
    // Lines for the log: how the window was chosen.
    std::vector<std::string> Notes;
};

class TDownloadArchive {
public:
    // Reads one record's block from the instrument: its registers, or nothing when it could not
    // be read.
    using TBlockReader = std::function<std::optional<std::vector<std::uint16_t>>(std::int32_t)>;

    virtual ~TDownloadArchive() = default;

    virtual void DownloadStarted(TDownloadKind kind, const std::string& request) = 0;
    virtual void RecordRead(const std::vector<std::uint16_t>& registers) = 0;
    virtual void DownloadEnded(TDownloadOutcome outcome, std::int64_t recordsReceived) = 0;
    // The window of a "New records" download whose current record is `current`; fallbackCount
    // is how many of the most recent records to read when the archive knows nothing that the
    // instrument still holds.
    virtual TNewRecordsWindow PlanNewRecords(std::int32_t current, std::int32_t fallbackCount,
                                             const TBlockReader& read) = 0;
    // A failure to archive since the last call, once; nothing when all went well.
    virtual std::optional<std::string> TakeFailure() = 0;
};

} // namespace Sondrel
