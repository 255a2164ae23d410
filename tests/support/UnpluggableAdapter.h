// UnpluggableAdapter: a USB-serial adapter that a test can pull out and plug in again.
//
// socat joins two pseudo-terminals back to back and names them with symbolic links in a
// private folder: DevicePath() ("<folder>/ttyUSB0") is the port the program under test opens,
// as it would open a by-id path of a real adapter; InstrumentPath() is the other end, where an
// instrument (sondrel-sim --port) serves.
//
// Unplug() does what pulling the adapter does on Linux: socat is killed (SIGKILL, so it cannot
// tidy up), which closes both pseudo-terminal masters; the kernel then hangs up every open
// descriptor of the two terminals and removes their /dev/pts nodes; the links are removed as
// udev removes an adapter's links. Plug() brings a new pair up under the same two paths.
//
// The constructor plugs the adapter in. Throws std::runtime_error when socat cannot be
// started or its links do not appear. The destructor stops socat and removes the folder.
// Neither copied nor moved; one thread at a time.
#pragma once

#include "ChildProcess.h"

#include <memory>
#include <string>

namespace TestSupport {

class UnpluggableAdapter {
public:
    UnpluggableAdapter();
    ~UnpluggableAdapter();

    UnpluggableAdapter(const UnpluggableAdapter&) = delete;
    UnpluggableAdapter& operator=(const UnpluggableAdapter&) = delete;

    const std::string& DevicePath() const { return FDevicePath; }
    const std::string& InstrumentPath() const { return FInstrumentPath; }
    // The /dev/pts node behind DevicePath() while plugged in ("/dev/pts/7"), else empty.
    const std::string& DeviceNode() const { return FDeviceNode; }

    void Plug();
    void Unplug();
    bool Plugged() const { return FSocat != nullptr; }

private:
    void RemoveLinks();

    std::string FFolder;
    std::string FDevicePath;
    std::string FInstrumentPath;
    std::string FDeviceNode;
    std::unique_ptr<ChildProcess> FSocat;
};

} // namespace TestSupport
