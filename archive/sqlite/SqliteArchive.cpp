#include "SqliteArchive.h"

#include "ExcursionAcks.h"
#include "RecordFields.h"
#include "SystemNames.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

namespace Sondrel {

namespace {

// The columns that a page reads.
const char* const kRecordColumns = "instrument_id, record_number, recorded_at, registers";

// The WHERE clause of a query's range of date-times in `timeColumn`; parameters in the order
// BindRange binds them.
std::string RangeCondition(const TRecordQuery& query,
                           const std::string& timeColumn = "recorded_at") {
    std::string condition = "1 = 1";
    if (query.InstrumentId) {
        condition += " AND instrument_id = ?";
    }
    if (!query.From.empty()) {
        condition += " AND " + timeColumn + " >= ?";
    }
    if (!query.To.empty()) {
        condition += " AND " + timeColumn + " <= ?";
    }
    return condition;
}

int BindRange(TSqliteStatement& statement, const TRecordQuery& query, int index) {
    if (query.InstrumentId) {
        statement.Bind(index++, *query.InstrumentId);
    }
    if (!query.From.empty()) {
        statement.Bind(index++, query.From);
    }
    if (!query.To.empty()) {
        statement.Bind(index++, query.To);
    }
    return index;
}

// The columns of a download, as DownloadOf reads them.
const char* const kDownloadColumns =
    "id, instrument_id, kind, request, started_at, ended_at, user_name, host_name, "
    "line_settings, outcome, records_received, chain_id, window_start, base_record, "
    "base_recorded_at, newest_record, newest_recorded_at";

TDownloadRecord DownloadOf(const TSqliteStatement& row) {
    TDownloadRecord d;
    d.Id = row.Int(0);
    d.InstrumentId = row.Int(1);
    d.Kind = row.Text(2);
    d.Request = row.Text(3);
    d.StartedAt = row.Text(4);
    d.EndedAt = row.Text(5);
    d.UserName = row.Text(6);
    d.HostName = row.Text(7);
    d.LineSettings = row.Text(8);
    d.Outcome = row.Text(9);
    d.RecordsReceived = row.Int(10);
    if (!row.IsNull(11)) {
        TNewRecordsChain chain;
        chain.ChainId = row.Int(11);
        chain.WindowStart = static_cast<std::int32_t>(row.Int(12));
        chain.BaseRecord = static_cast<std::int32_t>(row.Int(13));
        chain.BaseRecordedAt = row.OptionalText(14);
        chain.NewestRecord = static_cast<std::int32_t>(row.Int(15));
        chain.NewestRecordedAt = row.OptionalText(16);
        d.Chain = chain;
    }
    return d;
}

TStoredRecord StoredRecordOf(const TSqliteStatement& row, const std::string& location) {
    TStoredRecord record;
    record.InstrumentId = row.Int(0);
    record.RecordNumber = static_cast<std::int32_t>(row.Int(1));
    record.RecordedAt = row.Text(2);
    auto registers = RegistersOfBlob(row.BlobData(3), row.BlobSize(3));
    if (!registers) {
        throw EArchiveError(afNotAnArchive, location,
                            "it is damaged: a record's registers have an odd length");
    }
    record.Registers = std::move(*registers);
    return record;
}

TExcursionAck ExcursionAckOf(const TSqliteStatement& row) {
    return {row.Int(0),  row.Text(1), row.Text(2), row.Text(3),
            row.Text(4), row.Text(5), row.Text(6)};
}

bool IsTimeOrder(const TRecordQuery& query) {
    return RecordOrderColumn(query.OrderColumn) == "recorded_at";
}

} // namespace

TSqlDialect TSqliteArchive::Dialect() {
    return {"INTEGER PRIMARY KEY", "BLOB"};
}

TSqliteArchive::TSqliteArchive(const std::string& path, const std::string& location,
                               const TSqliteArchiveOptions& options)
    : FLocation(location) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (options.ReadOnly) {
        if (!fs::exists(path, error)) {
            throw EArchiveError(afMissing, location, "there is no archive there");
        }
    } else if (const fs::path folder = fs::path(path).parent_path(); !folder.empty()) {
        fs::create_directories(folder, error);
        if (error) {
            throw EArchiveError(afReadOnly, location,
                                "its folder cannot be made (" + error.message() + ")");
        }
    }
    FDb = std::make_unique<TSqliteDatabase>(path, options.ReadOnly, location);
    sqlite3_busy_timeout(FDb->Handle(), std::max(0, options.BusyTimeoutMs));
    if (!options.ReadOnly && FDb->IsReadOnly()) {
        throw EArchiveError(afReadOnly, location, "it cannot be written (the file is read-only)");
    }
    Configure(options);
    CheckAndMigrate(options.Steps.empty() ? ArchiveSchemaSteps(Dialect()) : options.Steps,
                    options.ReadOnly);
}

TSqliteArchive::~TSqliteArchive() = default;

void TSqliteArchive::Configure(const TSqliteArchiveOptions& options) {
    if (!options.ReadOnly) {
        // Also the first statement that reads the file: a file that is no database fails here.
        FDb->QueryText("PRAGMA journal_mode = WAL");
        FDb->Execute("PRAGMA synchronous = NORMAL");
    }
    FDb->Execute("PRAGMA foreign_keys = ON");
    if (options.MaxPageCount > 0) {
        FDb->QueryInt("PRAGMA max_page_count = " + std::to_string(options.MaxPageCount));
    }
}

void TSqliteArchive::CheckAndMigrate(const std::vector<TSchemaStep>& steps, bool readOnly) {
    const std::int32_t latest = steps.empty() ? 0 : steps.back().Version;
    auto currentVersion = [this]() -> std::int32_t {
        std::set<std::string> tables;
        TSqliteStatement list = FDb->Prepare(
            "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'");
        while (list.Step()) {
            tables.insert(list.Text(0));
        }
        if (tables.empty()) {
            return 0;
        }
        if (tables.count("schema_version") == 0) {
            throw EArchiveError(afNotAnArchive, FLocation,
                                "it is not an archive (it holds the tables of another program)");
        }
        TSqliteStatement version = FDb->Prepare("SELECT version FROM schema_version");
        if (!version.Step() || version.IsNull(0)) {
            throw EArchiveError(afNotAnArchive, FLocation,
                                "it is not an archive (its schema version is missing)");
        }
        return static_cast<std::int32_t>(version.Int(0));
    };

    std::int32_t version = currentVersion();
    if (version > latest) {
        throw EArchiveError(afNewerSchema, FLocation,
                            "it was written by a newer version of the program (schema version " +
                                std::to_string(version) + "; this version knows up to " +
                                std::to_string(latest) + ")");
    }
    if (version < latest && readOnly) {
        throw EArchiveError(version == 0 ? afMissing : afOlderSchema, FLocation,
                            version == 0
                                ? "it holds no archive yet"
                                : "it needs an upgrade (schema version " + std::to_string(version) +
                                      "): open it once for writing");
    }
    for (const TSchemaStep& step : steps) {
        if (step.Version <= version) {
            continue;
        }
        TSqliteTransaction transaction(*FDb);
        // Another program may have upgraded it since the version was read.
        const std::int32_t now = currentVersion();
        if (now >= step.Version) {
            version = now;
            continue;
        }
        for (const std::string& statement : step.Statements) {
            FDb->Execute(statement);
        }
        FDb->Execute(now == 0
                         ? "INSERT INTO schema_version (version) VALUES (" +
                               std::to_string(step.Version) + ")"
                         : "UPDATE schema_version SET version = " + std::to_string(step.Version));
        transaction.Commit();
        version = step.Version;
    }
    FSchemaVersion = version;
}

// --- instruments -----------------------------------------------------------------------------

std::int64_t TSqliteArchive::EnsureInstrument(const TInstrumentDescription& instrument) {
    TSqliteTransaction transaction(*FDb);
    const std::string now = UtcNow();
    TSqliteStatement upsert = FDb->Prepare(
        "INSERT INTO instruments (identity, name, server_id, port, address, first_seen, "
        "last_seen) VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT (identity) DO UPDATE SET "
        "name = excluded.name, server_id = excluded.server_id, port = excluded.port, "
        "address = excluded.address, last_seen = excluded.last_seen RETURNING id");
    upsert.Bind(1, instrument.Identity)
        .Bind(2, instrument.Name)
        .Bind(3, instrument.ServerId)
        .Bind(4, instrument.Port)
        .Bind(5, std::int64_t{instrument.Address})
        .Bind(6, now)
        .Bind(7, now);
    if (!upsert.Step()) {
        throw EArchiveError(afOther, FLocation, "the instrument could not be stored");
    }
    const std::int64_t id = upsert.Int(0);
    upsert.Run();
    transaction.Commit();
    return id;
}

std::vector<TInstrumentSummary> TSqliteArchive::Instruments() {
    TSqliteStatement query =
        FDb->Prepare("SELECT i.id, i.identity, i.name, i.port, i.address, COUNT(r.id), "
                     "MIN(r.recorded_at), MAX(r.recorded_at) FROM instruments i "
                     "LEFT JOIN records r ON r.instrument_id = i.id GROUP BY i.id ORDER BY i.id");
    std::vector<TInstrumentSummary> instruments;
    while (query.Step()) {
        TInstrumentSummary s;
        s.Id = query.Int(0);
        s.Identity = query.Text(1);
        s.Name = query.Text(2);
        s.Port = query.Text(3);
        s.Address = static_cast<std::int32_t>(query.Int(4));
        s.Records = query.Int(5);
        s.First = query.Text(6);
        s.Last = query.Text(7);
        instruments.push_back(std::move(s));
    }
    return instruments;
}

// --- downloads -------------------------------------------------------------------------------

std::int64_t TSqliteArchive::BeginDownload(const TDownloadRecord& d) {
    TSqliteTransaction transaction(*FDb);
    TSqliteStatement insert = FDb->Prepare(
        "INSERT INTO downloads (instrument_id, kind, request, started_at, user_name, host_name, "
        "line_settings, outcome, records_received) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) "
        "RETURNING id");
    insert.Bind(1, d.InstrumentId)
        .Bind(2, d.Kind)
        .Bind(3, d.Request)
        .Bind(4, d.StartedAt)
        .Bind(5, d.UserName)
        .Bind(6, d.HostName)
        .Bind(7, d.LineSettings)
        .Bind(8, d.Outcome)
        .Bind(9, d.RecordsReceived);
    if (!insert.Step()) {
        throw EArchiveError(afOther, FLocation, "the download could not be stored");
    }
    const std::int64_t id = insert.Int(0);
    insert.Run();
    if (d.Chain) {
        SetDownloadChain(id, *d.Chain);
    }
    transaction.Commit();
    return id;
}

void TSqliteArchive::SetDownloadChain(std::int64_t downloadId, const TNewRecordsChain& chain) {
    TSqliteStatement update = FDb->Prepare(
        "UPDATE downloads SET chain_id = ?, window_start = ?, base_record = ?, "
        "base_recorded_at = ?, newest_record = ?, newest_recorded_at = ? WHERE id = ?");
    update.Bind(1, chain.ChainId != 0 ? chain.ChainId : downloadId)
        .Bind(2, std::int64_t{chain.WindowStart})
        .Bind(3, std::int64_t{chain.BaseRecord})
        .Bind(4, chain.BaseRecordedAt)
        .Bind(5, std::int64_t{chain.NewestRecord})
        .Bind(6, chain.NewestRecordedAt)
        .Bind(7, downloadId);
    update.Run();
}

void TSqliteArchive::EndDownload(std::int64_t downloadId, const std::string& endedAt,
                                 const std::string& outcome, std::int64_t recordsReceived) {
    TSqliteStatement update = FDb->Prepare(
        "UPDATE downloads SET ended_at = ?, outcome = ?, records_received = ? WHERE id = ?");
    update.Bind(1, endedAt).Bind(2, outcome).Bind(3, recordsReceived).Bind(4, downloadId);
    update.Run();
}

std::optional<TDownloadRecord> TSqliteArchive::LatestChainedDownload(std::int64_t instrumentId) {
    TSqliteStatement query = FDb->Prepare(std::string("SELECT ") + kDownloadColumns +
                                          " FROM downloads WHERE instrument_id = ? AND kind = ? "
                                          "AND chain_id IS NOT NULL ORDER BY id DESC LIMIT 1");
    query.Bind(1, instrumentId).Bind(2, std::string(kDownloadNew));
    if (!query.Step()) {
        return std::nullopt;
    }
    return DownloadOf(query);
}

std::vector<TDownloadRecord> TSqliteArchive::DownloadsOfRange(const TRecordQuery& query) {
    TSqliteStatement select =
        FDb->Prepare(std::string("SELECT ") + kDownloadColumns +
                     " FROM downloads WHERE id IN (SELECT download_id FROM records WHERE " +
                     RangeCondition(query) + ") ORDER BY id");
    BindRange(select, query, 1);
    std::vector<TDownloadRecord> downloads;
    while (select.Step()) {
        downloads.push_back(DownloadOf(select));
    }
    return downloads;
}

// --- records ---------------------------------------------------------------------------------

std::int32_t TSqliteArchive::AddRecords(std::int64_t instrumentId, std::int64_t downloadId,
                                        const std::vector<TArchivedRecord>& records) {
    if (records.empty()) {
        return 0;
    }
    std::string columns = "instrument_id, record_number, recorded_at";
    std::string values = "?, ?, ?";
    for (const std::string& column : RecordFieldColumns()) {
        columns += ", " + column;
        values += ", ?";
    }
    columns += ", registers, registers_crc32, download_id, downloaded_at";
    values += ", ?, ?, ?, ?";
    TSqliteTransaction transaction(*FDb);
    TSqliteStatement insert =
        FDb->Prepare("INSERT INTO records (" + columns + ") VALUES (" + values +
                     ") ON CONFLICT (instrument_id, record_number, recorded_at) DO NOTHING");
    std::int32_t added = 0;
    for (const TArchivedRecord& record : records) {
        const std::optional<TRecordFields> fields = FieldsOfRegisters(record.Registers);
        const std::optional<std::string> recordedAt = BlockDateTime(record.Registers);
        if (!fields || !recordedAt) {
            continue; // not a whole record: nothing of it is stored
        }
        const std::vector<std::uint8_t> blob = RegisterBlob(record.Registers);
        int p = 1;
        insert.Bind(p++, instrumentId);
        insert.Bind(p++, std::int64_t{record.RecordNumber});
        insert.Bind(p++, *recordedAt);
        for (const std::int64_t v : RecordFieldValues(*fields)) {
            insert.Bind(p++, v);
        }
        insert.BindBlob(p++, blob);
        insert.Bind(p++, std::int64_t{BlobChecksum(blob)});
        insert.Bind(p++, downloadId);
        insert.Bind(p++, record.DownloadedAt);
        insert.Run();
        added += sqlite3_changes(FDb->Handle()) > 0 ? 1 : 0;
        insert.Reset();
    }
    transaction.Commit();
    return added;
}

std::vector<TArchivedKey> TSqliteArchive::RecordKeys(std::int64_t instrumentId,
                                                     const std::optional<std::string>& since,
                                                     std::optional<std::int64_t> fromDownload) {
    if (!since && !fromDownload) {
        return {};
    }
    std::string condition;
    if (since) {
        condition = "recorded_at >= ?";
    }
    if (fromDownload) {
        condition += std::string(condition.empty() ? "" : " OR ") + "download_id >= ?";
    }
    TSqliteStatement query =
        FDb->Prepare("SELECT record_number, recorded_at, download_id FROM records WHERE "
                     "instrument_id = ? AND (" +
                     condition + ")");
    int p = 1;
    query.Bind(p++, instrumentId);
    if (since) {
        query.Bind(p++, *since);
    }
    if (fromDownload) {
        query.Bind(p++, *fromDownload);
    }
    std::vector<TArchivedKey> keys;
    while (query.Step()) {
        keys.push_back({static_cast<std::int32_t>(query.Int(0)), query.Text(1), query.Int(2)});
    }
    return keys;
}

std::int64_t TSqliteArchive::CountRecords(const TRecordQuery& query) {
    TSqliteStatement count =
        FDb->Prepare("SELECT COUNT(*) FROM records WHERE " + RangeCondition(query));
    BindRange(count, query, 1);
    return count.Step() ? count.Int(0) : 0;
}

std::vector<TStoredRecord> TSqliteArchive::ReadRecords(const TRecordQuery& query,
                                                       std::int64_t offset, std::int32_t limit) {
    if (offset < 0 || limit <= 0) {
        return {};
    }
    return IsTimeOrder(query) ? ReadByTime(query, offset, limit)
                              : ReadOrdered(query, offset, limit);
}

std::vector<TStoredRecord> TSqliteArchive::ReadByTime(const TRecordQuery& query,
                                                      std::int64_t offset, std::int32_t limit) {
    const TRecordPageEnd* previous = FCursor.Continued(query, offset);
    const bool continues = previous != nullptr;
    // A page that continues the previous one starts the range at the previous page's last
    // date-time: the planner takes one bound of the index, and the range's own start would make
    // every page scan the rows of all the pages before it.
    TRecordQuery range = query;
    if (continues) {
        (query.Ascending ? range.From : range.To) = previous->RecordedAt;
    }
    std::string sql =
        std::string("SELECT ") + kRecordColumns + " FROM records WHERE " + RangeCondition(range);
    if (continues) {
        sql += std::string(" AND (recorded_at, instrument_id, record_number) ") +
               (query.Ascending ? ">" : "<") + " (?, ?, ?)";
    }
    sql += " ORDER BY " + RecordOrderBy("recorded_at", query.Ascending) + " LIMIT ?";
    if (!continues) {
        sql += " OFFSET ?";
    }
    TSqliteStatement page = FDb->Prepare(sql);
    int p = BindRange(page, range, 1);
    if (continues) {
        page.Bind(p++, previous->RecordedAt);
        page.Bind(p++, previous->InstrumentId);
        page.Bind(p++, previous->RecordNumber);
    }
    page.Bind(p++, std::int64_t{limit});
    if (!continues) {
        page.Bind(p++, offset);
    }
    std::vector<TStoredRecord> records;
    while (page.Step()) {
        records.push_back(StoredRecordOf(page, FLocation));
    }
    FCursor.Advance(query, offset, records);
    return records;
}

std::vector<TStoredRecord> TSqliteArchive::ReadOrdered(const TRecordQuery& query,
                                                       std::int64_t offset, std::int32_t limit) {
    if (FOrderedQuery != query) {
        FOrderedQuery.reset();
        FDb->Execute("DROP TABLE IF EXISTS temp.record_order");
        // The rows of a table made from an ordered query are numbered in that order.
        TSqliteStatement make =
            FDb->Prepare("CREATE TEMP TABLE record_order AS SELECT id AS record_id FROM records "
                         "WHERE " +
                         RangeCondition(query) + " ORDER BY " +
                         RecordOrderBy(RecordOrderColumn(query.OrderColumn), query.Ascending));
        BindRange(make, query, 1);
        make.Run();
        FOrderedQuery = query;
    }
    TSqliteStatement page =
        FDb->Prepare("SELECT r.instrument_id, r.record_number, r.recorded_at, r.registers FROM "
                     "temp.record_order o JOIN records r ON r.id = o.record_id WHERE o.rowid > ? "
                     "ORDER BY o.rowid LIMIT ?");
    page.Bind(1, offset).Bind(2, std::int64_t{limit});
    std::vector<TStoredRecord> records;
    while (page.Step()) {
        records.push_back(StoredRecordOf(page, FLocation));
    }
    return records;
}

// --- excursion acknowledgements ------------------------------------------------------------

void TSqliteArchive::AcknowledgeExcursion(const TExcursionAck& ack) {
    if (const auto problem = ExcursionAckProblem(ack)) {
        throw EArchiveError(afOther, FLocation, "the acknowledgement is refused: " + *problem);
    }
    TSqliteTransaction transaction(*FDb);
    TSqliteStatement known = FDb->Prepare("SELECT 1 FROM instruments WHERE id = ?");
    known.Bind(1, ack.InstrumentId);
    if (!known.Step()) {
        throw EArchiveError(afOther, FLocation,
                            "the acknowledgement is refused: it holds no instrument " +
                                std::to_string(ack.InstrumentId));
    }
    TSqliteStatement upsert =
        FDb->Prepare(std::string("INSERT INTO excursion_acks (") + kExcursionAckColumns +
                     ") VALUES (?, ?, ?, ?, ?, ?, ?)" + kExcursionAckReplace);
    upsert.Bind(1, ack.InstrumentId)
        .Bind(2, ack.Series)
        .Bind(3, ack.LimitKind)
        .Bind(4, ack.StartedAt)
        .Bind(5, ack.AcknowledgedBy)
        .Bind(6, ack.AcknowledgedAt)
        .Bind(7, ack.Comment);
    upsert.Run();
    transaction.Commit();
}

std::vector<TExcursionAck> TSqliteArchive::ExcursionAcks(std::optional<std::int64_t> instrumentId,
                                                         const std::string& from,
                                                         const std::string& to) {
    TRecordQuery range;
    range.InstrumentId = instrumentId;
    range.From = from;
    range.To = to;
    TSqliteStatement query =
        FDb->Prepare(std::string("SELECT ") + kExcursionAckColumns + " FROM excursion_acks WHERE " +
                     RangeCondition(range, "started_at") +
                     " ORDER BY started_at, instrument_id, series, limit_kind");
    BindRange(query, range, 1);
    std::vector<TExcursionAck> acks;
    while (query.Step()) {
        TExcursionAck ack = ExcursionAckOf(query);
        if (!ExcursionAckProblem(ack)) {
            acks.push_back(std::move(ack));
        }
    }
    return acks;
}

// --- upkeep ----------------------------------------------------------------------------------

TArchiveCheck TSqliteArchive::Check() {
    TArchiveCheck check;
    check.SchemaVersion = FSchemaVersion;
    TSqliteStatement integrity = FDb->Prepare("PRAGMA integrity_check");
    while (integrity.Step()) {
        check.IntegrityMessages.push_back(integrity.Text(0));
    }
    check.Instruments = FDb->QueryInt("SELECT COUNT(*) FROM instruments").value_or(0);
    check.Downloads = FDb->QueryInt("SELECT COUNT(*) FROM downloads").value_or(0);
    // The table came with version 2 (a store of an older history, in tests, has none).
    TSqliteStatement acks = FDb->Prepare(
        FSchemaVersion >= 2 ? std::string("SELECT ") + kExcursionAckColumns + " FROM excursion_acks"
                            : std::string("SELECT 1 WHERE 0"));
    while (acks.Step()) {
        ++check.ExcursionAcks;
        check.DamagedExcursionAcks += ExcursionAckProblem(ExcursionAckOf(acks)) ? 1 : 0;
    }

    std::string columns = "recorded_at, registers, registers_crc32";
    for (const std::string& column : RecordFieldColumns()) {
        columns += ", " + column;
    }
    TSqliteStatement records = FDb->Prepare("SELECT " + columns + " FROM records");
    while (records.Step()) {
        ++check.Records;
        const std::vector<std::uint8_t> blob(records.BlobData(1),
                                             records.BlobData(1) + records.BlobSize(1));
        const auto registers = RegistersOfBlob(blob.data(), blob.size());
        const auto fields = registers ? FieldsOfRegisters(*registers) : std::nullopt;
        bool sound = fields && static_cast<std::int64_t>(BlobChecksum(blob)) == records.Int(2) &&
                     BlockDateTime(*registers) == records.Text(0);
        if (sound) {
            const std::vector<std::int64_t> expected = RecordFieldValues(*fields);
            for (std::size_t i = 0; i < expected.size() && sound; ++i) {
                sound = records.Int(static_cast<int>(3 + i)) == expected[i];
            }
        }
        check.DamagedRecords += sound ? 0 : 1;
    }
    return check;
}

} // namespace Sondrel
