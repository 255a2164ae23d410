// Which records a "New records" download reads: the pure rule, without a database or a line.
//
// The instrument's log is a ring of 62001 records written in order, each stamped with its date
// and time, so along the ring from the current record backwards the records get older. A
// record the instrument still holds with the date-time the archive knows for it (a confirmed
// record) proves that fewer than one round of the ring was written since it: every record after
// it, up to the current one, was written after it and is that record number's only such
// incarnation.
//
// Downloads form chains. A chain reads the records after WindowStart up to the current record
// that the archive lacks; its base is a record it confirms at every run:
// - after a complete "New records" download, the next chain starts at that download's newest
//   record (WindowStart = Base = that record): a related chain, which reads only what the
//   instrument wrote since;
// - a download that did not complete (stopped, cut off, records missing) is continued by the
//   next run with the same window and base, so that it fetches what it missed, and what was
//   written meanwhile;
// - when there is no earlier chain, or its base is gone (the ring went round past it, the log
//   was erased, another instrument answers on the line), a new chain reads the
//   `fallbackCount` most recent records (Base = the current record, WindowStart that many
//   before it), and says why.
//
// A record of the window counts as archived when the archive holds it with a date-time at or
// after the base's (it was written after the base), or when a download of this chain brought it
// (the chain read it after its base was confirmed, and it has not been overwritten since, or it
// would lie after the base). Everything else of the window is read; reading more than needed
// costs time only, since the archive stores every record once.
//
// Threads: any; pure functions of their arguments.
#pragma once

#include "ArchiveTypes.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

// One record as the instrument holds it now.
struct TProbedRecord {
    bool Read = false;   // the block could be read
    bool Filled = false; // it holds a sample (not an empty record)
    std::string RecordedAt;
};

struct TNewRecordsPlan {
    std::optional<std::string> Failure; // a record the plan needed could not be read
    // The window: WindowSize records after FirstRecord (the engine's FirstRecord), ending at the
    // current record; Records are those of it to read, oldest first.
    std::int32_t FirstRecord = 0;
    std::int32_t WindowSize = 0;
    std::vector<std::int32_t> Records;
    // The chain as the download must store it (ChainId 0: this download begins it).
    TNewRecordsChain Chain;
    // Why the window is what it is, for the log.
    std::vector<std::string> Notes;
};

// Reads one record from the instrument.
using TRecordProbe = std::function<TProbedRecord(std::int32_t record)>;
// The archived keys of the instrument dated since a date-time or brought by a download from an
// id on (IArchiveStore::RecordKeys).
using TArchivedKeysQuery = std::function<std::vector<TArchivedKey>(
    const std::optional<std::string>& sinceRecordedAt, std::optional<std::int64_t> fromDownload)>;

// latest: the instrument's latest download that has a chain (IArchiveStore::
// LatestChainedDownload). fallbackCount is capped at 62000, the most that a download reads.
TNewRecordsPlan PlanNewRecords(std::int32_t current, std::int32_t fallbackCount,
                               const std::optional<TDownloadRecord>& latest,
                               const TRecordProbe& probe, const TArchivedKeysQuery& archived);

} // namespace Sondrel
