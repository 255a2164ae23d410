// Forcing a file's data to the disk before it is renamed over another, so that a crash right
// after the rename leaves the old file or the new one, never an empty one.
//
// Threads: any.
#pragma once

#include <string>
#include <system_error>

namespace Sondrel {

// Flushes the file at path to the disk; returns the OS's error, or no error.
std::error_code SyncFileToDisk(const std::string& path);

} // namespace Sondrel
