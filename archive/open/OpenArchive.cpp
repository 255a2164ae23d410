#include "OpenArchive.h"

#include "ArchiveError.h"

#ifdef SONDREL_HAVE_SQLITE
#include "SqliteArchive.h"
#endif

namespace Sondrel {

bool ArchivesAvailable() {
#ifdef SONDREL_HAVE_SQLITE
    return true;
#else
    return false;
#endif
}

std::unique_ptr<IArchiveStore> OpenArchive(const TArchiveLocation& location,
                                           const TArchiveOpenOptions& options) {
    if (location.Backend != "sqlite") {
        throw EArchiveError(afBadLocation, location.Text,
                            "this program keeps archives in SQLite files (FILE or sqlite:FILE), "
                            "not in \"" +
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
