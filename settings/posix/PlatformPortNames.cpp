// Port names on POSIX systems: device paths (see PlatformPortNames.h).
#include "PlatformPortNames.h"

#include "SerialLine.h"

#include <filesystem>
#include <system_error>

namespace Sondrel {

std::string PlatformPortName(const std::string& name) {
    return Corvane::ResolvePortName(name);
}

bool SameSerialPort(const std::string& a, const std::string& b) {
    return Corvane::ResolvePortName(a) == Corvane::ResolvePortName(b);
}

std::string SerialDeviceFolder(const std::string& devRoot) {
    const std::string byId = devRoot + "/serial/by-id";
    std::error_code ignored;
    return std::filesystem::is_directory(byId, ignored) ? byId : devRoot;
}

} // namespace Sondrel
