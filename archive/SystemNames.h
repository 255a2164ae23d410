// What the archive needs of the platform: the user, the host and the UTC time that it writes
// about a download, and the folder of the user's data (ArchiveLocation.h). One file per
// platform (posix/, win32/), chosen in CMake.
//
// Threads: any.
#pragma once

#include <string>

namespace Sondrel {

// The login name of the user running the program, or "unknown".
std::string CurrentUserName();
// The machine's host name, or "unknown".
std::string CurrentHostName();
// The current UTC time as "YYYY-MM-DDThh:mm:ssZ".
std::string UtcNow();

} // namespace Sondrel
