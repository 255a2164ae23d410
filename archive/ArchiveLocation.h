// Where the archive is. The user names it with --archive (sondrel-cli, sondrel), the
// environment variable SONDREL_ARCHIVE, or the window's options, in that order of precedence;
// otherwise it is the file "archive.sqlite" in the user's data folder "Sondrel"
// ($XDG_DATA_HOME/Sondrel on Linux, ~/.local/share/Sondrel when XDG_DATA_HOME is not set).
//
// A location is a path ("/data/archive.sqlite") or "sqlite:" and a path: both are a SQLite file.
// The prefix form leaves room for database URLs ("postgresql://..."), which name a backend that
// this program may not have; such a location is refused with afBadLocation when opened.
//
// Threads: any; pure functions (UserDataFolder reads the environment).
#pragma once

#include <optional>
#include <string>

namespace Sondrel {

struct TArchiveLocation {
    std::string Text;    // as the user wrote it, for messages
    std::string Backend; // "sqlite", or the scheme of a URL this program may not know
    std::string Path;    // the file, for "sqlite"

    bool operator==(const TArchiveLocation&) const = default;
};

// The location a text names; nothing for an empty text.
std::optional<TArchiveLocation> ParseArchiveLocation(const std::string& text);

// The first of the texts given that is not empty, else the default file.
TArchiveLocation ResolveArchiveLocation(const std::string& option, const std::string& environment,
                                        const std::string& setting);

// The default file: UserDataFolder() / "archive.sqlite".
std::string DefaultArchivePath();

// The folder where the program keeps the user's data ("Sondrel" in the platform's folder for
// applications' data).
std::string UserDataFolder();

} // namespace Sondrel
