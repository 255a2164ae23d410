// TSqliteArchive: the archive in one SQLite file (IArchiveStore).
//
// Opening for writing creates the file and its folder when missing, switches the database to
// write-ahead logging (readers never wait for the writer, and a program killed in the middle
// of a transaction leaves the last committed state), and brings an older schema up to date,
// each version in one transaction. It refuses, with EArchiveError and without writing
// anything:
// - a file that is no SQLite database, or one whose tables are not an archive's (afNotAnArchive);
// - a schema newer than this program knows (afNewerSchema);
// - a file or folder that cannot be written (afReadOnly);
// - a database that another program holds locked for longer than the busy timeout (afLocked).
// Opening for reading only never creates or changes anything: a missing file is afMissing and
// an older schema afOlderSchema.
//
// Commits use synchronous=NORMAL: with write-ahead logging a committed transaction survives
// the program being killed; only a power loss may take the last ones.
//
// Paging: ReadRecords by date-time walks the (recorded_at, instrument_id, record_number) index
// and continues from the previous page's last row when asked for the rows right after it; any
// other order is put into a temporary table of record ids once per query, which every page then
// reads by position.
//
// Threads: one thread at a time (see IArchiveStore). Owns its connection.
#pragma once

#include "ArchiveSchema.h"
#include "ArchiveStore.h"
#include "RecordPageCursor.h"
#include "SqliteDatabase.h"

#include <memory>

namespace Sondrel {

struct TSqliteArchiveOptions {
    bool ReadOnly = false;
    // How long a statement waits for a lock that another connection holds.
    std::int32_t BusyTimeoutMs = 5000;
    // A limit on the file's pages (0: none): a full disk, for tests.
    std::int64_t MaxPageCount = 0;
    // The schema's history; empty: this program's (ArchiveSchemaSteps). Tests give others.
    std::vector<TSchemaStep> Steps;
};

class TSqliteArchive : public IArchiveStore {
public:
    // location is what messages name (the path, or "sqlite:" and the path, as the user wrote it).
    TSqliteArchive(const std::string& path, const std::string& location,
                   const TSqliteArchiveOptions& options = {});
    ~TSqliteArchive() override;

    static TSqlDialect Dialect();

    const std::string& Location() const override { return FLocation; }
    std::int32_t SchemaVersion() const { return FSchemaVersion; }

    std::int64_t EnsureInstrument(const TInstrumentDescription& instrument) override;
    std::vector<TInstrumentSummary> Instruments() override;
    std::int64_t BeginDownload(const TDownloadRecord& download) override;
    void SetDownloadChain(std::int64_t downloadId, const TNewRecordsChain& chain) override;
    void EndDownload(std::int64_t downloadId, const std::string& endedAt,
                     const std::string& outcome, std::int64_t recordsReceived) override;
    std::optional<TDownloadRecord> LatestChainedDownload(std::int64_t instrumentId) override;
    std::vector<TDownloadRecord> DownloadsOfRange(const TRecordQuery& query) override;
    std::int32_t AddRecords(std::int64_t instrumentId, std::int64_t downloadId,
                            const std::vector<TArchivedRecord>& records) override;
    std::vector<TArchivedKey> RecordKeys(std::int64_t instrumentId,
                                         const std::optional<std::string>& sinceRecordedAt,
                                         std::optional<std::int64_t> fromDownloadId) override;
    std::int64_t CountRecords(const TRecordQuery& query) override;
    std::vector<TStoredRecord> ReadRecords(const TRecordQuery& query, std::int64_t offset,
                                           std::int32_t limit) override;
    void AcknowledgeExcursion(const TExcursionAck& ack) override;
    std::vector<TExcursionAck> ExcursionAcks(std::optional<std::int64_t> instrumentId,
                                             const std::string& from,
                                             const std::string& to) override;
    TArchiveCheck Check() override;

private:
    void Configure(const TSqliteArchiveOptions& options);
    void CheckAndMigrate(const std::vector<TSchemaStep>& steps, bool readOnly);
    std::vector<TStoredRecord> ReadByTime(const TRecordQuery& query, std::int64_t offset,
                                          std::int32_t limit);
    std::vector<TStoredRecord> ReadOrdered(const TRecordQuery& query, std::int64_t offset,
                                           std::int32_t limit);

    std::string FLocation;
    std::unique_ptr<TSqliteDatabase> FDb;
    std::int32_t FSchemaVersion = 0;
    TRecordPageCursor FCursor;
    // The query whose order the temporary table holds, if any.
    std::optional<TRecordQuery> FOrderedQuery;
};

} // namespace Sondrel
