// GetSerialPortNames: the serial ports present on this machine, for the port pickers.
#pragma once

#include <string>
#include <vector>

namespace Corvane {

// Where the system lists its serial ports: the sysfs tty class folder on Linux, the registry
// key "HARDWARE\DEVICEMAP\SERIALCOMM" below HKEY_LOCAL_MACHINE on Windows.
extern const char* const kSystemPortListing;

// Clears names and fills it with the names of the serial ports, in natural order (ttyS2
// before ttyS10, COM2 before COM10, see PortNameOrder.h).
//
// Linux: the device paths ("/dev/ttyUSB0") of every tty under root that is backed by a
// device (it has a "device" link; virtual consoles and pseudo-terminals have none), except
// serial-core ports whose "type" reads 0: the 8250 driver registers its legacy ports whether
// or not a UART answers, and marks the empty ones with type 0 (no UART).
// Windows: the string data ("COM3") of every string value of the registry key root below
// HKEY_LOCAL_MACHINE, opened for reading only; values of other types, empty strings and
// values too long to be a port name are skipped.
// A root that is missing or cannot be read gives an empty list. The root can be pointed at a
// prepared tree or key for tests.
// Thread: any; it only reads the file system or the registry.
void GetSerialPortNames(std::vector<std::string>& names,
                        const std::string& root = kSystemPortListing);

} // namespace Corvane
