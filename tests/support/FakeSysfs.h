// FakeSysfs: a throw-away look-alike of the sysfs tty class folder, for tests of the serial
// port listing: <root>/class/tty/<name> with the "device" link and "type" file the kernel
// provides, pointing into <root>/devices. Ports can be added and removed while the code under
// test lists them. The whole tree is removed on destruction. Not thread-safe.
#pragma once

#include <filesystem>
#include <string>

namespace TestSupport {

class FakeSysfs {
public:
    FakeSysfs();
    ~FakeSysfs();
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    // The folder to list (the stand-in for /sys/class/tty).
    std::string TtyRoot() const { return (FRoot / "class" / "tty").string(); }

    // A tty; with a driver name it gets a device link (a real port), with a type a "type" file
    // (0: a legacy port with no UART behind it).
    void AddTty(const std::string& name, const std::string& driver = "", int type = -1);
    // The tty goes away (an adapter unplugged).
    void RemoveTty(const std::string& name);

private:
    std::filesystem::path FRoot;
};

} // namespace TestSupport
