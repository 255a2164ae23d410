// TSerialPortListing: the serial ports present on this machine, as the port pickers and the
// five-second port check show them.
//
// ListSerialPorts reads the system's listing (Corvane::GetSerialPortNames: the sysfs tty class
// folder on Linux, the SERIALCOMM registry key on Windows) below a root that can be pointed at
// a prepared tree or key, so that tests and demonstrations can add and remove ports. The names are
// the platform's own (device paths on Linux, see PlatformPortNames.h), sorted alphabetically
// without regard to case. A root that is missing or cannot be read gives an empty list.
//
// Any thread may call ListSerialPorts (it only reads the file system); the root is set on the
// thread that owns the listing (the main thread in the window).
#pragma once

#include <string>
#include <vector>

namespace Sondrel {

class TSerialPortListing {
public:
    // Where the system lists its ports: the sysfs tty class folder on Linux, the SERIALCOMM
    // registry key on Windows (Corvane::kSystemPortListing).
    static const char* const SystemRoot;

    // An empty root means the system's own listing.
    explicit TSerialPortListing(std::string root = std::string());

    void SetRoot(std::string root);
    const std::string& Root() const { return FRoot; }

    // Clears list and fills it with the ports present now, sorted.
    void ListSerialPorts(std::vector<std::string>& list) const;
    std::vector<std::string> SerialPorts() const;

private:
    std::string FRoot;
};

} // namespace Sondrel
