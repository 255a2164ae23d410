// The archive options of sondrel-cli: --archive FILE (or sqlite:FILE, or a PostgreSQL
// connection string) names the archive,
// SONDREL_ARCHIVE does when the option is not given, and otherwise it is the default file
// (ArchiveLocation.h); --no-archive keeps a download out of every archive.
#pragma once

#include "CommandLine.h"

#include "ArchiveLocation.h"

#include <optional>
#include <set>
#include <string>

namespace SondrelCli {

// The value options and the flags of the archive.
const std::set<std::string>& ArchiveValueOptions();
const std::set<std::string>& ArchiveFlags();
const char* ArchiveOptionsHelp();

// The archive a command uses; nothing with --no-archive (a usage error together with
// --archive), and nothing in a build that can keep no archive unless --archive or
// SONDREL_ARCHIVE names one.
std::optional<Sondrel::TArchiveLocation>
ParseArchiveOption(const SondrelOptions::TCommandLine& line);

} // namespace SondrelCli
