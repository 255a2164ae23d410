// The archive's schema, the same for every backend, and its versions.
//
// Tables (version 1):
// - schema_version (version): one row, the schema's version.
// - instruments: id, identity (unique: "server id <text>" or "name <name>"), name, server_id
//   (the Report Server ID reply's data in hexadecimal, or empty), port, address, first_seen,
//   last_seen (UTC texts).
// - downloads: id, instrument_id, kind ("recent", "by date", "whole", "new"), request (in
//   words), started_at, ended_at, user_name, host_name, line_settings, outcome ("running",
//   "complete", "incomplete", "stopped", "failed"), records_received, and for "New records"
//   downloads their chain (chain_id, window_start, base_record, base_recorded_at,
//   newest_record, newest_recorded_at; see NewRecordsPlan.h).
// - records: id, instrument_id, record_number, recorded_at ("YYYY-MM-DD hh:mm" from the
//   record's fields), the fields of the record table (RecordFieldColumns), registers (the 104
//   registers as read, RecordFields.h), registers_crc32, download_id (the download that
//   brought it first), downloaded_at. Unique on (instrument_id, record_number, recorded_at):
//   a record number that comes back with another date-time (the log wrapped or was erased) is
//   another record. Indexed by (recorded_at, instrument_id, record_number) for ranges and by
//   download_id for what a download brought.
//
// Version 2 adds:
// - excursion_acks: id, instrument_id, series (series key), limit_kind (limit kind key),
//   started_at (the excursion's first record date-time), acknowledged_by, acknowledged_at
//   (UTC text), comment. Unique on (instrument_id, series, limit_kind, started_at): an
//   excursion has one acknowledgement, the latest. Indexed by started_at for ranges.
//
// A database that differs in its types names them in a TSqlDialect; the statements are
// otherwise the same. Versions are applied in order, each in one transaction with the update
// of schema_version, so a database is always at one whole version.
//
// Threads: any; pure data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Sondrel {

inline constexpr std::int32_t kArchiveSchemaVersion = 2;

// The words that differ between SQL databases.
struct TSqlDialect {
    std::string IdColumn; // a 64-bit primary key that the database numbers itself
    std::string BlobType; // a column of bytes
};

// One version of the schema: the statements that take a database from the version before.
struct TSchemaStep {
    std::int32_t Version = 0;
    std::vector<std::string> Statements;
};

// The steps from an empty database to kArchiveSchemaVersion, in order.
std::vector<TSchemaStep> ArchiveSchemaSteps(const TSqlDialect& dialect);

// The columns of excursion_acks in the order of TExcursionAck's fields, and what follows the
// VALUES of its INSERT: an excursion acknowledged again keeps the newest who, when and comment.
inline constexpr const char* kExcursionAckColumns =
    "instrument_id, series, limit_kind, started_at, acknowledged_by, acknowledged_at, comment";
inline constexpr const char* kExcursionAckReplace =
    " ON CONFLICT (instrument_id, series, limit_kind, started_at) DO UPDATE SET "
    "acknowledged_by = excluded.acknowledged_by, acknowledged_at = excluded.acknowledged_at, "
    "comment = excluded.comment";

// The record table's fields as columns of records, in the order of RecordFieldValues.
const std::vector<std::string>& RecordFieldColumns();

// The column that orders records by a record table column (0..26): the record number, the
// date-time (Date, Time and Index), or a field's column.
std::string RecordOrderColumn(std::int32_t tableColumn);

// An ORDER BY list: the column first, then the date-time order of the time index
// (recorded_at, instrument_id, record_number), all one way.
std::string RecordOrderBy(const std::string& first, bool ascending);

} // namespace Sondrel
