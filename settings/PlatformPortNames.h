// How this platform names its serial ports: the one place that decides which name a port
// picker shows and stores, which ports are the same, and what "Open Device Manager..." opens.
//
//   stored or typed name   Linux (and other POSIX systems)     Windows
//   "COM3"                 "/dev/ttyS2" (the legacy port n-1)   "COM3"
//   "ttyUSB0"              "/dev/ttyUSB0" (looked up in /dev)   "ttyUSB0"
//   "/dev/ttyACM0"         "/dev/ttyACM0" (a path is kept)      "/dev/ttyACM0"
//   ""                     ""                                   ""
// Linux has no COMn names: its pickers list device paths, and the settings written from them
// ("SerialPort", "upgradePort") hold device paths. A "COMn" default or a value written on
// Windows is still understood: it names the same device the serial line would open
// (Corvane::ResolvePortName). Windows keeps its COMn names as they are.
//
// posix/PlatformPortNames.cpp and win32/PlatformPortNames.cpp; CMake picks one. Pure functions
// except SerialDeviceFolder, which looks at the file system; any thread may call them.
#pragma once

#include <string>

namespace Sondrel {

// The name a port picker shows for a stored or typed port name (table above).
std::string PlatformPortName(const std::string& name);

// True when both names denote the same port (Linux: the same device path; Windows: the same
// name without regard to case).
bool SameSerialPort(const std::string& a, const std::string& b);

// What "Open Device Manager..." opens. Linux: the folder of the serial devices' stable links,
// devRoot + "/serial/by-id" when that folder exists, else devRoot itself. Windows: the Device
// Manager console ("devmgmt.msc" in the system folder); devRoot is not used.
std::string SerialDeviceFolder(const std::string& devRoot = "/dev");

} // namespace Sondrel
