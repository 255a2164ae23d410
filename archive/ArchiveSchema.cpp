#include "ArchiveSchema.h"

namespace Sondrel {

const std::vector<std::string>& RecordFieldColumns() {
    static const std::vector<std::string> columns = [] {
        std::vector<std::string> c = {"state", "year", "month", "day", "hour", "minute"};
        for (int k = 1; k <= 9; ++k) {
            c.push_back("counts_" + std::to_string(k));
        }
        c.push_back("counts_total");
        for (int k = 1; k <= 9; ++k) {
            c.push_back("ppb_" + std::to_string(k) + "_hundredths");
        }
        c.push_back("ppb_total_hundredths");
        c.insert(c.end(), {"flow_rate", "cell_condition", "laser_condition"});
        return c;
    }();
    return columns;
}

std::string RecordOrderColumn(std::int32_t tableColumn) {
    // Columns 3..12 are the counts, 13..22 the PPB, as in the record table.
    if (tableColumn == 0) {
        return "record_number";
    }
    if (tableColumn >= 3 && tableColumn <= 12) {
        return RecordFieldColumns()[static_cast<std::size_t>(6 + tableColumn - 3)];
    }
    if (tableColumn >= 13 && tableColumn <= 22) {
        return RecordFieldColumns()[static_cast<std::size_t>(16 + tableColumn - 13)];
    }
    switch (tableColumn) {
    case 23:
        return "flow_rate";
    case 24:
        return "cell_condition";
    case 25:
        return "laser_condition";
    default:
        return "recorded_at"; // Date, Time and Index: the records' order in time
    }
}

std::string RecordOrderBy(const std::string& first, bool ascending) {
    const std::string way = ascending ? " ASC" : " DESC";
    std::string order = first + way;
    for (const char* column : {"recorded_at", "instrument_id", "record_number"}) {
        if (first != column) {
            order += std::string(", ") + column + way;
        }
    }
    return order;
}

std::vector<TSchemaStep> ArchiveSchemaSteps(const TSqlDialect& dialect) {
    std::string fields;
    for (const std::string& column : RecordFieldColumns()) {
        fields += "  " + column + " BIGINT NOT NULL,\n";
    }
    TSchemaStep first;
    first.Version = 1;
    first.Statements = {
        "CREATE TABLE schema_version (version INTEGER NOT NULL)",
        "CREATE TABLE instruments (\n"
        "  id " +
            dialect.IdColumn +
            ",\n"
            "  identity TEXT NOT NULL UNIQUE,\n"
            "  name TEXT NOT NULL,\n"
            "  server_id TEXT NOT NULL,\n"
            "  port TEXT NOT NULL,\n"
            "  address INTEGER NOT NULL,\n"
            "  first_seen TEXT NOT NULL,\n"
            "  last_seen TEXT NOT NULL)",
        "CREATE TABLE downloads (\n"
        "  id " +
            dialect.IdColumn +
            ",\n"
            "  instrument_id BIGINT NOT NULL REFERENCES instruments (id),\n"
            "  kind TEXT NOT NULL,\n"
            "  request TEXT NOT NULL,\n"
            "  started_at TEXT NOT NULL,\n"
            "  ended_at TEXT,\n"
            "  user_name TEXT NOT NULL,\n"
            "  host_name TEXT NOT NULL,\n"
            "  line_settings TEXT NOT NULL,\n"
            "  outcome TEXT NOT NULL,\n"
            "  records_received BIGINT NOT NULL,\n"
            "  chain_id BIGINT,\n"
            "  window_start INTEGER,\n"
            "  base_record INTEGER,\n"
            "  base_recorded_at TEXT,\n"
            "  newest_record INTEGER,\n"
            "  newest_recorded_at TEXT)",
        "CREATE INDEX downloads_by_instrument ON downloads (instrument_id, kind, id)",
        "CREATE TABLE records (\n"
        "  id " +
            dialect.IdColumn +
            ",\n"
            "  instrument_id BIGINT NOT NULL REFERENCES instruments (id),\n"
            "  record_number INTEGER NOT NULL,\n"
            "  recorded_at TEXT NOT NULL,\n" +
            fields + "  registers " + dialect.BlobType +
            " NOT NULL,\n"
            "  registers_crc32 BIGINT NOT NULL,\n"
            "  download_id BIGINT NOT NULL REFERENCES downloads (id),\n"
            "  downloaded_at TEXT NOT NULL,\n"
            "  UNIQUE (instrument_id, record_number, recorded_at))",
        "CREATE INDEX records_by_time ON records (recorded_at, instrument_id, record_number)",
        "CREATE INDEX records_by_download ON records (download_id)",
    };
    TSchemaStep second;
    second.Version = 2;
    second.Statements = {
        "CREATE TABLE excursion_acks (\n"
        "  id " +
            dialect.IdColumn +
            ",\n"
            "  instrument_id BIGINT NOT NULL REFERENCES instruments (id),\n"
            "  series TEXT NOT NULL,\n"
            "  limit_kind TEXT NOT NULL,\n"
            "  started_at TEXT NOT NULL,\n"
            "  acknowledged_by TEXT NOT NULL,\n"
            "  acknowledged_at TEXT NOT NULL,\n"
            "  comment TEXT NOT NULL,\n"
            "  UNIQUE (instrument_id, series, limit_kind, started_at))",
        "CREATE INDEX excursion_acks_by_start ON excursion_acks (started_at, instrument_id)",
    };
    return {first, second};
}

} // namespace Sondrel
