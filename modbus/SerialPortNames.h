// GetSerialPortNames: the serial ports present on this machine, for the port pickers.
#pragma once

#include <string>
#include <vector>

namespace Corvane {

// Clears names and fills it with the device paths of the serial ports ("/dev/ttyUSB0"),
// in natural order (ttyS2 before ttyS10).
//
// Linux: every tty under sysfsRoot that is backed by a device (it has a "device" link;
// virtual consoles and pseudo-terminals have none), except serial-core ports whose "type"
// reads 0: the 8250 driver registers its legacy ports whether or not a UART answers, and
// marks the empty ones with type 0 (no UART). A missing root gives an empty list. The root
// can be pointed at a prepared tree for tests.
// Thread: any; it only reads the file system.
void GetSerialPortNames(std::vector<std::string>& names,
                        const std::string& sysfsRoot = "/sys/class/tty");

} // namespace Corvane
