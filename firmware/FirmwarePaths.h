// Path rules of the firmware page: the hex file name check and the folder the Browse dialog
// starts in. Pure functions except FirmwareBrowseDirectoryHere; any thread may call them.
#pragma once

#include "FirmwarePlatform.h"

#include <string>
#include <string_view>

namespace Sondrel {

// True when the path holds one of the texts the ISP tool's command line cannot carry:
// ! # $ % & ( ) + , ; <> @ [ ] ^ { } ~ (each tested as a substring; "<>" only as a pair).
bool HasForbiddenHexPathText(std::string_view path);

// The error box shown for a refused hex file path.
std::string InvalidHexPathMessage(std::string_view path);

// dir with sep appended when it does not already end in one (an empty dir stays empty; with
// sep '\\', a trailing '/' counts as a separator too).
std::string WithTrailingSeparator(std::string dir, char sep = PathSeparator);

// The Browse dialog's start folder: the current directory with a trailing separator, or the
// program's folder + "Firmware" + separator when a "Firmware" folder exists below the
// current directory. (The existence test is relative to the current directory while the
// result names the program's folder: that is the rule the firmware page has always used.)
std::string FirmwareBrowseDirectory(const std::string& currentDir, const std::string& programFolder,
                                    bool firmwareFolderExists, char sep = PathSeparator);

// FirmwareBrowseDirectory for the process's current directory.
std::string FirmwareBrowseDirectoryHere(const std::string& programFolder);

// The file name the dialog starts with: dir + "*.hex".
inline std::string FirmwareBrowseFileName(const std::string& dir) {
    return dir + "*.hex";
}

} // namespace Sondrel
