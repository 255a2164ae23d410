#include "SqliteDatabase.h"

#include <cerrno>
#include <cstring>

namespace Sondrel {

namespace {

std::string WithReason(const std::string& cause, const std::string& reason) {
    return reason.empty() ? cause : cause + " (" + reason + ")";
}

} // namespace

EArchiveError SqliteFailure(int code, sqlite3* db, const std::string& location) {
    const std::string reason = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    const int systemError = db != nullptr ? sqlite3_system_errno(db) : 0;
    switch (code & 0xFF) {
    case SQLITE_NOTADB:
        return {afNotAnArchive, location, WithReason("it is not an archive", reason)};
    case SQLITE_CORRUPT:
        return {afNotAnArchive, location, WithReason("it is damaged or not an archive", reason)};
    case SQLITE_FULL:
        return {afFull, location, WithReason("the disk is full", reason)};
    case SQLITE_READONLY:
        return {afReadOnly, location, WithReason("it cannot be written", reason)};
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {afLocked, location, WithReason("another program holds it locked", reason)};
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return {afReadOnly, location, WithReason("it may not be used", reason)};
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
        if (systemError == ENOSPC) {
            return {afFull, location, WithReason("the disk is full", std::strerror(ENOSPC))};
        }
        if (systemError == EACCES || systemError == EROFS || systemError == EPERM) {
            return {afReadOnly, location,
                    WithReason("it cannot be written", std::strerror(systemError))};
        }
        if ((code & 0xFF) == SQLITE_CANTOPEN && systemError == ENOENT) {
            return {afMissing, location, "there is no archive there"};
        }
        return {afOther, location,
                WithReason("it cannot be read or written",
                           systemError != 0 ? reason + ": " + std::strerror(systemError) : reason)};
    default:
        return {afOther, location, WithReason("the database failed", reason)};
    }
}

// --- statement -------------------------------------------------------------------------------

TSqliteStatement::TSqliteStatement(sqlite3* db, const std::string& sql, const std::string& location)
    : FDb(db), FLocation(location) {
    const int result =
        sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &FStatement, nullptr);
    if (result != SQLITE_OK) {
        sqlite3_finalize(FStatement);
        throw SqliteFailure(result, db, location);
    }
}

TSqliteStatement::~TSqliteStatement() {
    sqlite3_finalize(FStatement);
}

TSqliteStatement::TSqliteStatement(TSqliteStatement&& other) noexcept
    : FDb(other.FDb), FStatement(other.FStatement), FLocation(std::move(other.FLocation)) {
    other.FStatement = nullptr;
}

TSqliteStatement& TSqliteStatement::Bind(int index, std::int64_t value) {
    if (const int result = sqlite3_bind_int64(FStatement, index, value); result != SQLITE_OK) {
        throw SqliteFailure(result, FDb, FLocation);
    }
    return *this;
}

TSqliteStatement& TSqliteStatement::Bind(int index, const std::string& text) {
    const int result = sqlite3_bind_text(FStatement, index, text.data(),
                                         static_cast<int>(text.size()), SQLITE_TRANSIENT);
    if (result != SQLITE_OK) {
        throw SqliteFailure(result, FDb, FLocation);
    }
    return *this;
}

TSqliteStatement& TSqliteStatement::Bind(int index, const std::optional<std::string>& text) {
    return text ? Bind(index, *text) : BindNull(index);
}

TSqliteStatement& TSqliteStatement::BindBlob(int index, const std::vector<std::uint8_t>& bytes) {
    const int result = sqlite3_bind_blob(FStatement, index, bytes.data(),
                                         static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    if (result != SQLITE_OK) {
        throw SqliteFailure(result, FDb, FLocation);
    }
    return *this;
}

TSqliteStatement& TSqliteStatement::BindNull(int index) {
    if (const int result = sqlite3_bind_null(FStatement, index); result != SQLITE_OK) {
        throw SqliteFailure(result, FDb, FLocation);
    }
    return *this;
}

bool TSqliteStatement::Step() {
    const int result = sqlite3_step(FStatement);
    if (result == SQLITE_ROW) {
        return true;
    }
    if (result == SQLITE_DONE) {
        return false;
    }
    // The statement's own code carries the extended reason; the step's is enough to map.
    const EArchiveError failure = SqliteFailure(result, FDb, FLocation);
    sqlite3_reset(FStatement);
    throw failure;
}

void TSqliteStatement::Run() {
    while (Step()) {
    }
}

void TSqliteStatement::Reset() {
    sqlite3_reset(FStatement);
    sqlite3_clear_bindings(FStatement);
}

std::int64_t TSqliteStatement::Int(int column) const {
    return sqlite3_column_int64(FStatement, column);
}

std::string TSqliteStatement::Text(int column) const {
    const auto* text = sqlite3_column_text(FStatement, column);
    const int size = sqlite3_column_bytes(FStatement, column);
    return text != nullptr
               ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
               : std::string();
}

std::optional<std::string> TSqliteStatement::OptionalText(int column) const {
    if (IsNull(column)) {
        return std::nullopt;
    }
    return Text(column);
}

bool TSqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(FStatement, column) == SQLITE_NULL;
}

const std::uint8_t* TSqliteStatement::BlobData(int column) const {
    return static_cast<const std::uint8_t*>(sqlite3_column_blob(FStatement, column));
}

std::size_t TSqliteStatement::BlobSize(int column) const {
    return static_cast<std::size_t>(sqlite3_column_bytes(FStatement, column));
}

// --- database --------------------------------------------------------------------------------

TSqliteDatabase::TSqliteDatabase(const std::string& path, bool readOnly,
                                 const std::string& location)
    : FLocation(location) {
    const int flags =
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
        SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
    const int result = sqlite3_open_v2(path.c_str(), &FDb, flags, nullptr);
    if (result != SQLITE_OK) {
        const EArchiveError failure = SqliteFailure(result, FDb, location);
        sqlite3_close(FDb);
        FDb = nullptr;
        throw failure;
    }
}

TSqliteDatabase::~TSqliteDatabase() {
    // Statements are finalized by their owners before the connection goes.
    sqlite3_close(FDb);
}

bool TSqliteDatabase::IsReadOnly() const {
    return sqlite3_db_readonly(FDb, "main") == 1;
}

void TSqliteDatabase::Execute(const std::string& sql) {
    char* message = nullptr;
    const int result = sqlite3_exec(FDb, sql.c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (result != SQLITE_OK) {
        throw SqliteFailure(result, FDb, FLocation);
    }
}

TSqliteStatement TSqliteDatabase::Prepare(const std::string& sql) const {
    return TSqliteStatement(FDb, sql, FLocation);
}

std::optional<std::int64_t> TSqliteDatabase::QueryInt(const std::string& sql) const {
    TSqliteStatement statement = Prepare(sql);
    if (!statement.Step()) {
        return std::nullopt;
    }
    return statement.Int(0);
}

std::optional<std::string> TSqliteDatabase::QueryText(const std::string& sql) const {
    TSqliteStatement statement = Prepare(sql);
    if (!statement.Step()) {
        return std::nullopt;
    }
    return statement.OptionalText(0);
}

// --- transaction -----------------------------------------------------------------------------

TSqliteTransaction::TSqliteTransaction(TSqliteDatabase& db) : FDb(db) {
    FDb.Execute("BEGIN IMMEDIATE");
}

TSqliteTransaction::~TSqliteTransaction() {
    if (!FDone) {
        // Nothing of the transaction stays; a failure here leaves SQLite to roll back.
        sqlite3_exec(FDb.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void TSqliteTransaction::Commit() {
    FDb.Execute("COMMIT");
    FDone = true;
}

} // namespace Sondrel
