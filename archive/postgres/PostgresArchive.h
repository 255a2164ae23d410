// TPostgresArchive: the archive in a PostgreSQL database (IArchiveStore), for a site where
// several programs (collectors, consoles) write and read one archive at once.
//
// The connection string is libpq's (a postgresql:// URL or key=value), its credentials found
// the way libpq finds them (the string, PGPASSFILE or ~/.pgpass, PG* variables). Opening for
// writing brings an older schema up to date, each version in one transaction under an advisory
// lock, so two programs that open an empty database at once create the tables once. It
// refuses, with EArchiveError and without writing anything:
// - a server that cannot be reached or refuses the login (afOther, libpq's reason);
// - a database whose tables are not an archive's (afNotAnArchive);
// - a schema newer than this program knows (afNewerSchema).
// Opening for reading only runs every transaction read-only: a database without the archive
// is afMissing and an older schema afOlderSchema.
//
// Concurrent writers never store a record twice: the unique key of (instrument, record
// number, date-time) with ON CONFLICT DO NOTHING; a batch whose transaction met another
// writer's lock in a deadlock is run again.
//
// Threads: one thread at a time (see IArchiveStore). Owns its connection.
#pragma once

#include "ArchiveSchema.h"
#include "ArchiveStore.h"
#include "PostgresDatabase.h"
#include "RecordPageCursor.h"

#include <memory>

namespace Sondrel {

struct TPostgresArchiveOptions {
    bool ReadOnly = false;
    // How long a statement waits for a lock that another connection holds (lock_timeout).
    std::int32_t BusyTimeoutMs = 5000;
    // The schema's history; empty: this program's (ArchiveSchemaSteps). Tests give others.
    std::vector<TSchemaStep> Steps;
};

class TPostgresArchive : public IArchiveStore {
public:
    // connection: libpq's connection string; location: what messages name (password masked).
    TPostgresArchive(const std::string& connection, const std::string& location,
                     const TPostgresArchiveOptions& options = {});
    ~TPostgresArchive() override;

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
    void CheckAndMigrate(const std::vector<TSchemaStep>& steps, bool readOnly);
    std::int32_t CurrentVersion();
    std::int32_t InsertRecords(std::int64_t instrumentId, std::int64_t downloadId,
                               const std::vector<TArchivedRecord>& records);
    std::vector<TStoredRecord> ReadByTime(const TRecordQuery& query, std::int64_t offset,
                                          std::int32_t limit);
    std::vector<TStoredRecord> ReadOrdered(const TRecordQuery& query, std::int64_t offset,
                                           std::int32_t limit);

    std::string FLocation;
    std::unique_ptr<TPgConnection> FDb;
    std::int32_t FSchemaVersion = 0;
    TRecordPageCursor FCursor;
    std::optional<TRecordQuery> FOrderedQuery;
};

} // namespace Sondrel
