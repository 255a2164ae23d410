// A small move-only wrapper of SQLite's C API, for the archive's SQLite backend: a connection
// (TSqliteDatabase), prepared statements (TSqliteStatement) and a write transaction
// (TSqliteTransaction) that rolls back unless committed.
//
// Every failure becomes EArchiveError through SqliteFailure, which maps SQLite's result codes to
// the archive's faults (not a database, locked, full, read-only, ...) with SQLite's own message
// as the reason. Statements are finalized and the connection closed by the destructors.
//
// Threads: a connection and its statements are used by one thread at a time (SQLite is built
// thread-safe; the connection is opened without its own mutex).
#pragma once

#include "ArchiveError.h"

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

// The archive error of a SQLite result code on a connection (db may be null).
EArchiveError SqliteFailure(int code, sqlite3* db, const std::string& location);

class TSqliteStatement {
public:
    TSqliteStatement(sqlite3* db, const std::string& sql, const std::string& location);
    ~TSqliteStatement();
    TSqliteStatement(TSqliteStatement&& other) noexcept;
    TSqliteStatement& operator=(TSqliteStatement&&) = delete;
    TSqliteStatement(const TSqliteStatement&) = delete;
    TSqliteStatement& operator=(const TSqliteStatement&) = delete;

    // Parameters are numbered from 1.
    TSqliteStatement& Bind(int index, std::int64_t value);
    TSqliteStatement& Bind(int index, const std::string& text);
    TSqliteStatement& Bind(int index, const std::optional<std::string>& text);
    TSqliteStatement& BindBlob(int index, const std::vector<std::uint8_t>& bytes);
    TSqliteStatement& BindNull(int index);

    // Runs to the next row: true when there is one, false when done. Throws on failure.
    bool Step();
    // Runs a statement that returns no rows.
    void Run();
    // Ready to run again with new parameters.
    void Reset();

    // Columns are numbered from 0.
    std::int64_t Int(int column) const;
    std::string Text(int column) const;
    std::optional<std::string> OptionalText(int column) const;
    bool IsNull(int column) const;
    const std::uint8_t* BlobData(int column) const;
    std::size_t BlobSize(int column) const;

private:
    sqlite3* FDb;
    sqlite3_stmt* FStatement = nullptr;
    std::string FLocation;
};

class TSqliteDatabase {
public:
    // Opens the file for reading and writing (created when missing), or for reading only.
    TSqliteDatabase(const std::string& path, bool readOnly, const std::string& location);
    ~TSqliteDatabase();
    TSqliteDatabase(const TSqliteDatabase&) = delete;
    TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;

    sqlite3* Handle() const { return FDb; }
    const std::string& Location() const { return FLocation; }
    bool IsReadOnly() const;

    void Execute(const std::string& sql);
    TSqliteStatement Prepare(const std::string& sql) const;
    // The first column of the first row of a query, or nothing when there is no row.
    std::optional<std::int64_t> QueryInt(const std::string& sql) const;
    std::optional<std::string> QueryText(const std::string& sql) const;

private:
    sqlite3* FDb = nullptr;
    std::string FLocation;
};

// BEGIN IMMEDIATE (the write lock is taken at once, so a locked archive is found before
// anything is done), COMMIT on Commit, ROLLBACK when destroyed uncommitted.
class TSqliteTransaction {
public:
    explicit TSqliteTransaction(TSqliteDatabase& db);
    ~TSqliteTransaction();
    TSqliteTransaction(const TSqliteTransaction&) = delete;
    TSqliteTransaction& operator=(const TSqliteTransaction&) = delete;

    void Commit();

private:
    TSqliteDatabase& FDb;
    bool FDone = false;
};

} // namespace Sondrel
