// IArchiveStore: the one storage interface of the archive. A backend (sqlite/ today; a server
// database later) keeps the same schema (ArchiveSchema.h): instruments, downloads, records and
// the acknowledgements of excursions, a record stored once per (instrument, record number,
// record date-time), and inserts that ignore a record already there.
//
// A store is one connection to one archive. Threads: one thread at a time, and the thread that
// opened it unless the backend says otherwise; a program that reads on its main thread while
// another thread writes opens one store for each (TArchiveWorker owns the writing one). Every
// method may throw EArchiveError; a method that writes either completes or leaves the archive
// as it was (one transaction).
#pragma once

#include "ArchiveTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

class IArchiveStore {
public:
    virtual ~IArchiveStore() = default;

    // The archive's location as the user named it (for messages).
    virtual const std::string& Location() const = 0;

    // --- instruments
    // The instrument's id by its identity, added when it is new; its name, server id, port and
    // address are brought up to date and it is marked as seen now.
    virtual std::int64_t EnsureInstrument(const TInstrumentDescription& instrument) = 0;
    // Every instrument with its record count and its oldest and newest record date-times,
    // ordered by id.
    virtual std::vector<TInstrumentSummary> Instruments() = 0;

    // --- downloads
    // Adds the download (its Id is ignored) and returns its id.
    virtual std::int64_t BeginDownload(const TDownloadRecord& download) = 0;
    // Sets a "New records" download's chain; a ChainId of 0 makes the download the first of
    // its chain.
    virtual void SetDownloadChain(std::int64_t downloadId, const TNewRecordsChain& chain) = 0;
    // Sets the end: the time, the outcome and the records received.
    virtual void EndDownload(std::int64_t downloadId, const std::string& endedAt,
                             const std::string& outcome, std::int64_t recordsReceived) = 0;
    // The instrument's latest "New records" download that has a chain, if any.
    virtual std::optional<TDownloadRecord> LatestChainedDownload(std::int64_t instrumentId) = 0;
    // The downloads that brought the records of the range (its order is not used), ordered by
    // id.
    virtual std::vector<TDownloadRecord> DownloadsOfRange(const TRecordQuery& query) = 0;

    // --- records
    // Adds the records of one download in one transaction; a record that is already stored
    // (same instrument, number and date-time) is left as it is. Returns how many were new.
    virtual std::int32_t AddRecords(std::int64_t instrumentId, std::int64_t downloadId,
                                    const std::vector<TArchivedRecord>& records) = 0;
    // The keys of the instrument's records dated sinceRecordedAt or later, or brought by
    // download fromDownloadId or a later one (either condition left out when not given).
    virtual std::vector<TArchivedKey> RecordKeys(std::int64_t instrumentId,
                                                 const std::optional<std::string>& sinceRecordedAt,
                                                 std::optional<std::int64_t> fromDownloadId) = 0;
    virtual std::int64_t CountRecords(const TRecordQuery& query) = 0;
    // Up to limit records of the range in the query's order, starting at the offset-th. A read
    // of the rows right after the previous one costs no more than the first page.
    virtual std::vector<TStoredRecord> ReadRecords(const TRecordQuery& query, std::int64_t offset,
                                                   std::int32_t limit) = 0;

    // --- excursion acknowledgements
    // Stores the acknowledgement in one transaction; one of an excursion acknowledged before
    // replaces it (who, when and the comment). Refuses, writing nothing, one that
    // ExcursionAckProblem finds wrong or whose instrument the archive does not hold.
    virtual void AcknowledgeExcursion(const TExcursionAck& ack) = 0;
    // The acknowledgements of excursions that started in the range (record date-times,
    // inclusive; empty: open), of one instrument or all, ordered by start, instrument, series
    // and kind. A stored row that ExcursionAckProblem finds wrong is left out.
    virtual std::vector<TExcursionAck> ExcursionAcks(std::optional<std::int64_t> instrumentId,
                                                     const std::string& from,
                                                     const std::string& to) = 0;

    // --- upkeep
    // The database's own integrity check, the counts, and every record's registers against
    // its checksum and fields.
    virtual TArchiveCheck Check() = 0;
};

} // namespace Sondrel
