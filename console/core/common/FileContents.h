// Whole-file reads with a size cap and whole-file replacement that never leaves a file
// half-written. Shared by the settings file and the server item map.
//
// Free functions; any thread may call them, but two writers of the same path at once are the
// caller's problem (the console writes its files from the main thread only).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace Sondrel {

struct TFileRead {
    bool Exists = false;    // false: there is no such file (not an error)
    std::string Bytes;      // what was read, also when the read failed part way
    bool Truncated = false; // the file holds more than the cap; Bytes has the first cap bytes
    std::string Error;      // non-empty when the file exists but could not be read
};

// Reads at most maxBytes bytes of the file. Never throws for file-system reasons.
TFileRead ReadFileCapped(const std::filesystem::path& path, std::size_t maxBytes);

// Replaces the file with the bytes: writes a temporary file in the same folder and renames it
// over the target, so that a reader sees either the old or the new contents. An existing file
// keeps its permissions. On failure the temporary file is removed, the old file is untouched
// and EConsoleFileError naming the path is raised.
void ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes);

// "Cannot write file \"%s\": %s" and its reading twin, shared by the console's files.
std::string CannotWriteText(const std::filesystem::path& path, const std::string& reason);
std::string CannotReadText(const std::filesystem::path& path, const std::string& reason);

} // namespace Sondrel
