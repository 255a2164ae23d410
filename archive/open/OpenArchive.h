// OpenArchive: the store of an archive location, with the backend its location names (a SQLite
// file or a PostgreSQL database). A location of a backend this program does not have is refused
// with afBadLocation: every SQLite location in a build without SQLite (the Windows cross build),
// every PostgreSQL one in a build without libpq.
//
// Threads: any; the store it returns belongs to the calling thread (IArchiveStore).
#pragma once

#include "ArchiveLocation.h"
#include "ArchiveStore.h"

#include <cstdint>
#include <memory>

namespace Sondrel {

struct TArchiveOpenOptions {
    bool ReadOnly = false;
    // How long a statement waits for another program's lock before it fails.
    std::int32_t BusyTimeoutMs = 5000;
};

// Whether this build can open any archive (false without SQLite).
bool ArchivesAvailable();
// Whether this build can open PostgreSQL archives (false without libpq).
bool PostgresAvailable();

std::unique_ptr<IArchiveStore> OpenArchive(const TArchiveLocation& location,
                                           const TArchiveOpenOptions& options = {});

} // namespace Sondrel
