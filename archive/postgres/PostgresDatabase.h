// A small move-only wrapper of libpq for the archive's PostgreSQL backend: a connection
// (TPgConnection), a query's result (TPgResult) and a transaction (TPgTransaction) that rolls
// back unless committed.
//
// Parameters go as text, or as bytes (TPgParam::Bytes) for a bytea column; results come back as
// text. Every failure becomes EArchiveError through the SQLSTATE of the server's reply (disk
// full, read-only, locked, ...), its message naming the server's reason. The location in a
// message is the caller's, with the password masked; the server's reasons never carry the
// password (libpq does not repeat it), and any text that would is masked all the same.
//
// Threads: one thread at a time per connection.
#pragma once

#include "ArchiveError.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace Sondrel {

// One parameter of a statement: a text, bytes, or NULL.
struct TPgParam {
    std::optional<std::string> Value;
    bool Binary = false;

    TPgParam() = default;
    TPgParam(std::string text) : Value(std::move(text)) {}
    TPgParam(const char* text) : Value(std::string(text)) {}
    TPgParam(std::int64_t number) : Value(std::to_string(number)) {}
    TPgParam(std::int32_t number) : Value(std::to_string(number)) {}
    TPgParam(const std::optional<std::string>& text) : Value(text) {}
    static TPgParam Bytes(const std::vector<std::uint8_t>& bytes);
};

class TPgResult {
public:
    TPgResult(pg_result* result, const std::string& location);
    ~TPgResult();
    TPgResult(TPgResult&& other) noexcept;
    TPgResult& operator=(TPgResult&&) = delete;
    TPgResult(const TPgResult&) = delete;
    TPgResult& operator=(const TPgResult&) = delete;

    int Rows() const;
    // The rows that an INSERT, UPDATE or DELETE touched.
    std::int64_t Affected() const;
    bool IsNull(int row, int column) const;
    std::string Text(int row, int column) const;
    std::optional<std::string> OptionalText(int row, int column) const;
    // A number column; a value that is no number is a damaged archive (afNotAnArchive).
    std::int64_t Int(int row, int column) const;
    // A bytea column (hex output); malformed bytes are a damaged archive.
    std::vector<std::uint8_t> Bytes(int row, int column) const;

private:
    pg_result* FResult;
    std::string FLocation;
};

class TPgConnection {
public:
    // connection: libpq's connection string (URL or key=value); location: for messages.
    TPgConnection(const std::string& connection, const std::string& location);
    ~TPgConnection();
    TPgConnection(const TPgConnection&) = delete;
    TPgConnection& operator=(const TPgConnection&) = delete;

    TPgResult Execute(const std::string& sql, const std::vector<TPgParam>& params = {});
    const std::string& Location() const { return FLocation; }

private:
    pg_conn* FConnection = nullptr;
    std::string FLocation;
};

class TPgTransaction {
public:
    explicit TPgTransaction(TPgConnection& connection);
    ~TPgTransaction();
    TPgTransaction(const TPgTransaction&) = delete;
    TPgTransaction& operator=(const TPgTransaction&) = delete;
    void Commit();

private:
    TPgConnection& FConnection;
    bool FOpen = true;
};

// Whether a failure may pass when the transaction is run again (a deadlock or a serialization
// failure between two writers).
bool IsRetryable(const EArchiveError& error);

} // namespace Sondrel
