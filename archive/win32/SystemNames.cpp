#include "SystemNames.h"

#include "ArchiveLocation.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>

namespace Sondrel {

std::string CurrentUserName() {
    char name[256] = {};
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) && name[0] != '\0' ? name : "unknown";
}

std::string CurrentHostName() {
    char name[256] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) && name[0] != '\0' ? name : "unknown";
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_s(&utc, &now);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string UserDataFolder() {
    const char* local = std::getenv("LOCALAPPDATA");
    return std::string(local != nullptr ? local : ".") + "\\Sondrel";
}

} // namespace Sondrel
