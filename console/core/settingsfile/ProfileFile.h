// Reader and writer of a Windows profile (INI) file, the format of the console settings file.
//
// Every call goes to the disk: a read parses the file as it is now, a write updates the file
// at once (read, change the keys, replace the whole file through a temporary file and a rename,
// so that the file is never left half-written). WriteStrings changes several keys in one
// replacement: either all of them reach the file or, when one cannot be written, none does.
// Text rules are those of TProfileText.
//
// Reads never fail: a missing or unreadable file, a missing section or key give the default.
// ReadInteger takes the value as TextToInteger does (blanks around it allowed, decimal only,
// so "12abc" and "0x10" are not numbers) and gives the default for anything that is not a
// number or does not fit in 32 bits. ReadBool is ReadInteger != 0.
//
// Only the first MaxReadSize bytes of a file are read (1 MiB; a settings file is a few hundred
// bytes). Writing refuses a file that is larger than that, or that exists but cannot be read,
// rather than replace it with what little could be read; it raises EConsoleFileError naming
// the path, as it does when the file cannot be written. The old file is then left as it was.
//
// Not thread-safe; the console uses it from the main thread. Holds only the path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace Sondrel {

class TProfileText;

// One key of a WriteStrings call.
struct TProfileEntry {
    std::string_view Section;
    std::string_view Key;
    std::string Value;
};

class TProfileFile {
public:
    static constexpr std::size_t MaxReadSize = 1024 * 1024;

    explicit TProfileFile(std::filesystem::path path);

    const std::filesystem::path& Path() const { return FPath; }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Raise EConsoleFileError when the file cannot be written, std::invalid_argument for a
    // name or value that the format cannot hold (see TProfileText::Set).
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int64_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    // Sets every entry in order and replaces the file once; raises as WriteString does before
    // the file is touched.
    void WriteStrings(std::span<const TProfileEntry> entries);

private:
    std::filesystem::path FPath;
};

} // namespace Sondrel
