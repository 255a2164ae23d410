#include "PostgresDatabase.h"

#include "ArchiveLocation.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <memory>

namespace Sondrel {

namespace {

// The server's message without libpq's trailing newline, and any password of the connection
// string masked.
std::string Reason(const char* message, const std::string& password) {
    std::string reason = message != nullptr ? message : "";
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) {
        reason.pop_back();
    }
    if (!password.empty()) {
        for (std::size_t at = reason.find(password); at != std::string::npos;
             at = reason.find(password, at + 3)) {
            reason.replace(at, password.size(), "***");
        }
    }
    return reason;
}

// The password that a connection string gives, if any (to keep it out of messages).
std::string PasswordOf(const std::string& connection) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(connection.c_str(), &error);
    PQfreemem(error);
    std::string password;
    for (PQconninfoOption* o = options; o != nullptr && o->keyword != nullptr; ++o) {
        if (std::string(o->keyword) == "password" && o->val != nullptr) {
            password = o->val;
        }
    }
    PQconninfoFree(options);
    return password;
}

EArchiveError Failure(const PGresult* result, const char* connectionMessage,
                      const std::string& location) {
    const char* state = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const std::string code = state != nullptr ? state : "";
    std::string reason = Reason(
        result != nullptr ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr, "");
    if (reason.empty()) {
        reason = Reason(connectionMessage, "");
    }
    const std::string why = " (" + reason + ")";
    if (code.rfind("53", 0) == 0) {
        return {afFull, location, "the database server's disk is full" + why};
    }
    if (code == "25006" || code == "42501") {
        return {afReadOnly, location, "it cannot be written" + why};
    }
    if (code == "55P03" || code == "40P01" || code == "40001") {
        return {afLocked, location, "another program holds it locked" + why};
    }
    if (code.empty()) {
        return {afOther, location, "the connection to the database server failed" + why};
    }
    return {afOther, location, "the database server refused a statement" + why};
}

} // namespace

TPgParam TPgParam::Bytes(const std::vector<std::uint8_t>& bytes) {
    TPgParam param;
    param.Value = std::string(bytes.begin(), bytes.end());
    param.Binary = true;
    return param;
}

// --- TPgResult -------------------------------------------------------------------------------

TPgResult::TPgResult(pg_result* result, const std::string& location)
    : FResult(result), FLocation(location) {}

TPgResult::~TPgResult() {
    PQclear(FResult);
}

TPgResult::TPgResult(TPgResult&& other) noexcept
    : FResult(other.FResult), FLocation(std::move(other.FLocation)) {
    other.FResult = nullptr;
}

int TPgResult::Rows() const {
    return PQntuples(FResult);
}

std::int64_t TPgResult::Affected() const {
    const char* count = PQcmdTuples(FResult);
    return count != nullptr && *count != '\0' ? std::strtoll(count, nullptr, 10) : 0;
}

bool TPgResult::IsNull(int row, int column) const {
    return row >= Rows() || column >= PQnfields(FResult) || PQgetisnull(FResult, row, column) != 0;
}

std::string TPgResult::Text(int row, int column) const {
    return IsNull(row, column) ? std::string() : std::string(PQgetvalue(FResult, row, column));
}

std::optional<std::string> TPgResult::OptionalText(int row, int column) const {
    if (IsNull(row, column)) {
        return std::nullopt;
    }
    return Text(row, column);
}

std::int64_t TPgResult::Int(int row, int column) const {
    if (IsNull(row, column)) {
        return 0;
    }
    const char* text = PQgetvalue(FResult, row, column);
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0') {
        throw EArchiveError(afNotAnArchive, FLocation,
                            "it is damaged: a number column holds \"" + std::string(text) + "\"");
    }
    return value;
}

std::vector<std::uint8_t> TPgResult::Bytes(int row, int column) const {
    const std::string text = Text(row, column);
    // bytea's hex output: "\x" and two hex digits a byte.
    if (text.size() < 2 || text[0] != '\\' || text[1] != 'x' || text.size() % 2 != 0) {
        throw EArchiveError(afNotAnArchive, FLocation,
                            "it is damaged: a record's registers are not bytes");
    }
    auto digit = [this](char c) -> std::uint8_t {
        if (c >= '0' && c <= '9') {
            return static_cast<std::uint8_t>(c - '0');
        }
        if (c >= 'a' && c <= 'f') {
            return static_cast<std::uint8_t>(c - 'a' + 10);
        }
        throw EArchiveError(afNotAnArchive, FLocation,
                            "it is damaged: a record's registers are not bytes");
    };
    std::vector<std::uint8_t> bytes;
    bytes.reserve((text.size() - 2) / 2);
    for (std::size_t i = 2; i < text.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(digit(text[i]) << 4 | digit(text[i + 1])));
    }
    return bytes;
}

// --- TPgConnection ---------------------------------------------------------------------------

TPgConnection::TPgConnection(const std::string& connection, const std::string& location)
    : FLocation(location) {
    char* parseError = nullptr;
    PQconninfoOption* parsed = PQconninfoParse(connection.c_str(), &parseError);
    if (parsed == nullptr) {
        const std::string reason = Reason(parseError, PasswordOf(connection));
        PQfreemem(parseError);
        throw EArchiveError(afBadLocation, location,
                            "it is no PostgreSQL connection string (" +
                                MaskConnectionPassword(reason) + ")");
    }
    PQconninfoFree(parsed);
    FConnection = PQconnectdb(connection.c_str());
    if (FConnection == nullptr) {
        throw EArchiveError(afOther, location, "libpq could not make a connection");
    }
    if (PQstatus(FConnection) != CONNECTION_OK) {
        const std::string reason = Reason(PQerrorMessage(FConnection), PasswordOf(connection));
        PQfinish(FConnection);
        FConnection = nullptr;
        throw EArchiveError(afOther, location,
                            "the database server cannot be reached or refused the connection (" +
                                reason + ")");
    }
    // The server's notices (a table that exists already, ...) are not the user's business.
    PQsetNoticeProcessor(
        FConnection, [](void*, const char*) {}, nullptr);
}

TPgConnection::~TPgConnection() {
    PQfinish(FConnection);
}

TPgResult TPgConnection::Execute(const std::string& sql, const std::vector<TPgParam>& params) {
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats;
    for (const TPgParam& p : params) {
        values.push_back(p.Value ? p.Value->data() : nullptr);
        lengths.push_back(p.Value ? static_cast<int>(p.Value->size()) : 0);
        formats.push_back(p.Binary ? 1 : 0);
    }
    PGresult* raw = PQexecParams(FConnection, sql.c_str(), static_cast<int>(params.size()), nullptr,
                                 values.data(), lengths.data(), formats.data(), 0);
    const ExecStatusType status = raw != nullptr ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        EArchiveError error = Failure(raw, PQerrorMessage(FConnection), FLocation);
        PQclear(raw);
        throw error;
    }
    return TPgResult(raw, FLocation);
}

// --- TPgTransaction --------------------------------------------------------------------------

TPgTransaction::TPgTransaction(TPgConnection& connection) : FConnection(connection) {
    FConnection.Execute("BEGIN");
}

TPgTransaction::~TPgTransaction() {
    if (FOpen) {
        try {
            FConnection.Execute("ROLLBACK");
        } catch (const EArchiveError&) {
            // A lost connection has rolled back on its own.
        }
    }
}

void TPgTransaction::Commit() {
    FConnection.Execute("COMMIT");
    FOpen = false;
}

bool IsRetryable(const EArchiveError& error) {
    return error.Fault() == afLocked;
}

} // namespace Sondrel
