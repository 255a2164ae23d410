#include "ProfileFile.h"

#include "ConsoleFileError.h"
#include "FileContents.h"
#include "ProfileText.h"
#include "TextToInteger.h"

#include <limits>

namespace Sondrel {

TProfileFile::TProfileFile(std::filesystem::path path) : FPath(std::move(path)) {}

std::string TProfileFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
    const TFileRead file = ReadFileCapped(FPath, MaxReadSize);
    if (!file.Exists || !file.Error.empty()) {
        return std::string(defaultValue);
    }
    const auto value = TProfileText(file.Bytes).Find(section, key);
    return value ? *value : std::string(defaultValue);
}

std::int32_t TProfileFile::ReadInteger(std::string_view section, std::string_view key,
                                       std::int32_t defaultValue) const {
    // A missing key reads as "", which is not a number either.
    const auto value = TextToInteger(ReadString(section, key, ""));
    if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
        *value > std::numeric_limits<std::int32_t>::max()) {
        return defaultValue;
    }
    return static_cast<std::int32_t>(*value);
}

bool TProfileFile::ReadBool(std::string_view section, std::string_view key,
                            bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TProfileFile::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
    const TProfileEntry entry{section, key, std::string(value)};
    WriteStrings(std::span<const TProfileEntry>(&entry, 1));
}

void TProfileFile::WriteStrings(std::span<const TProfileEntry> entries) {
    const TFileRead file = ReadFileCapped(FPath, MaxReadSize);
    if (!file.Error.empty()) {
        throw EConsoleFileError(FPath, file.Error);
    }
    if (file.Truncated) {
        throw EConsoleFileError(
            FPath, CannotWriteText(FPath, "the file is larger than a settings file can be"));
    }
    TProfileText text(file.Bytes);
    for (const TProfileEntry& entry : entries) {
        text.Set(entry.Section, entry.Key, entry.Value);
    }
    ReplaceFileContents(FPath, text.Bytes());
}

void TProfileFile::WriteInteger(std::string_view section, std::string_view key,
                                std::int64_t value) {
    WriteString(section, key, std::to_string(value));
}

void TProfileFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

} // namespace Sondrel
