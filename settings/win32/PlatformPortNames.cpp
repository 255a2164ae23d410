// Port names on Windows: the COMn names of the registry's serial port listing, kept as they
// are (see PlatformPortNames.h).
#include "PlatformPortNames.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace Sondrel {

std::string PlatformPortName(const std::string& name) {
    return name;
}

bool SameSerialPort(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string SerialDeviceFolder(const std::string&) {
    const char* systemRoot = std::getenv("SystemRoot");
    return systemRoot != nullptr ? std::string(systemRoot) + "\\System32\\devmgmt.msc"
                                 : std::string("devmgmt.msc");
}

} // namespace Sondrel
