#include "ArchiveOptions.h"

#include "OpenArchive.h"

#include <cstdlib>

namespace SondrelCli {

using namespace Sondrel;

const std::set<std::string>& ArchiveValueOptions() {
    static const std::set<std::string> names = {"archive"};
    return names;
}

const std::set<std::string>& ArchiveFlags() {
    static const std::set<std::string> names = {"no-archive"};
    return names;
}

const char* ArchiveOptionsHelp() {
    return "  --archive FILE   the archive (also sqlite:FILE), or a PostgreSQL database\n"
           "                   (postgresql://USER@HOST/DB, or libpq's key=value string; the\n"
           "                   password best in PGPASSFILE); default $SONDREL_ARCHIVE, else\n"
           "                   $XDG_DATA_HOME/Sondrel/archive.sqlite (~/.local/share/...)\n"
           "  --no-archive     keep this download out of the archive\n";
}

std::optional<TArchiveLocation> ParseArchiveOption(const SondrelOptions::TCommandLine& line) {
    if (line.Flag("no-archive")) {
        if (line.Has("archive")) {
            throw SondrelOptions::EUsageError("give --archive or --no-archive, not both");
        }
        return std::nullopt;
    }
    const std::string option = line.Value("archive").value_or("");
    if (line.Has("archive") && option.empty()) {
        throw SondrelOptions::EUsageError("--archive needs a file name");
    }
    const char* environmentValue = std::getenv("SONDREL_ARCHIVE");
    const std::string environment = environmentValue != nullptr ? environmentValue : "";
    // A build that can keep no archive keeps none unless one is asked for by name (and then
    // says why it could not).
    if (!ArchivesAvailable() && option.empty() && environment.empty()) {
        return std::nullopt;
    }
    return ResolveArchiveLocation(option, environment, "");
}

} // namespace SondrelCli
