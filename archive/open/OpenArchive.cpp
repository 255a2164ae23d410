#include "OpenArchive.h"

#include "ArchiveError.h"

#ifdef SONDREL_HAVE_SQLITE
#include "SqliteArchive.h"
#endif
#ifdef SONDREL_HAVE_POSTGRESQL
#include "PostgresArchive.h"
#endif

namespace Sondrel {

bool PostgresAvailable() {
#ifdef SONDREL_HAVE_POSTGRESQL
    return true;
#else
    return false;
#endif
}

namespace {

std::unique_ptr<IArchiveStore> OpenPostgres(const TArchiveLocation& location,
                                            const TArchiveOpenOptions& options) {
#ifdef SONDREL_HAVE_POSTGRESQL
    TPostgresArchiveOptions postgres;
    postgres.ReadOnly = options.ReadOnly;
    postgres.BusyTimeoutMs = options.BusyTimeoutMs;
    return std::make_unique<TPostgresArchive>(location.Connection, location.Text, postgres);
#else
    (void)options;
    throw EArchiveError(afBadLocation, location.Text,
                        "this build of the program has no PostgreSQL");
#endif
}

} // namespace

bool ArchivesAvailable() {
#ifdef SONDREL_HAVE_SQLITE
    return true;
#else
    return false;
#endif
}

std::unique_ptr<IArchiveStore> OpenArchive(const TArchiveLocation& location,
                                           const TArchiveOpenOptions& options) {
    if (location.Backend == "postgresql") {
        return OpenPostgres(location, options);
    }
    if (location.Backend != "sqlite") {
        throw EArchiveError(afBadLocation, location.Text,
                            "this program keeps archives in SQLite files (FILE or sqlite:FILE) "
                            "and PostgreSQL databases (postgresql://...), not in \"" +
                                location.Backend + "\" databases");
    }
    if (location.Path.empty()) {
        throw EArchiveError(afBadLocation, location.Text, "it names no file");
    }
#ifdef SONDREL_HAVE_SQLITE
    TSqliteArchiveOptions sqlite;
    sqlite.ReadOnly = options.ReadOnly;
    sqlite.BusyTimeoutMs = options.BusyTimeoutMs;
    return std::make_unique<TSqliteArchive>(location.Path, location.Text, sqlite);
#else
    (void)options;
    throw EArchiveError(afBadLocation, location.Text, "this build of the program has no SQLite");
#endif
}

} // namespace Sondrel
