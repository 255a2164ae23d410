#include "FirmwarePaths.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace Sondrel {

namespace {

constexpr std::array<std::string_view, 18> ForbiddenHexPathTexts = {
    "!", "#", "$", "%", "&", "(", ")", "+", ",", ";", "<>", "@", "[", "]", "^", "{", "}", "~"};

} // namespace

bool HasForbiddenHexPathText(std::string_view path) {
    for (auto text : ForbiddenHexPathTexts) {
        if (path.find(text) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

std::string InvalidHexPathMessage(std::string_view path) {
    return std::string(path) +
           " contains invalid characters.  Try moving the hex file to another location and try "
           "again.";
}

std::string WithTrailingSeparator(std::string dir, char sep) {
    // Windows takes "/" as a separator too.
    const bool ends = !dir.empty() && (dir.back() == sep || (sep == '\\' && dir.back() == '/'));
    if (!dir.empty() && !ends) {
        dir += sep;
    }
    return dir;
}

std::string FirmwareBrowseDirectory(const std::string& currentDir, const std::string& programFolder,
                                    bool firmwareFolderExists, char sep) {
    if (firmwareFolderExists) {
        return WithTrailingSeparator(programFolder, sep) + "Firmware" + sep;
    }
    return WithTrailingSeparator(currentDir, sep);
}

std::string FirmwareBrowseDirectoryHere(const std::string& programFolder) {
    std::error_code currentError;
    const auto current = std::filesystem::current_path(currentError);
    if (currentError) {
        return FirmwareBrowseDirectory(std::string(), programFolder, false);
    }
    std::error_code statusError;
    const bool exists = std::filesystem::is_directory(current / "Firmware", statusError);
    return FirmwareBrowseDirectory(current.string(), programFolder, exists && !statusError);
}

} // namespace Sondrel
