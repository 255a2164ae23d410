// The serial port listing of the port pickers and the platform's port names.
#include "PlatformPortNames.h"
#include "SerialPortListing.h"

#include "FakeSysfs.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace Sondrel;
using TestSupport::FakeSysfs;

TEST(SerialPortListing, ListsThePresentPortsAlphabetically) {
    FakeSysfs sysfs;
    sysfs.AddTty("ttyUSB10", "ftdi_sio");
    sysfs.AddTty("ttyUSB2", "ftdi_sio");
    sysfs.AddTty("ttyACM0", "cdc_acm");
    sysfs.AddTty("ttyS0", "serial8250", 0);
    TSerialPortListing listing(sysfs.TtyRoot());
    std::vector<std::string> ports = {"stale"};
    listing.ListSerialPorts(ports);
    EXPECT_EQ(ports, (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyUSB10", "/dev/ttyUSB2"}));

    sysfs.RemoveTty("ttyUSB2");
    sysfs.AddTty("ttyUSB3", "ftdi_sio");
    EXPECT_EQ(listing.SerialPorts(),
              (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyUSB10", "/dev/ttyUSB3"}))
        << "read again on every call";
}

TEST(SerialPortListing, AMissingRootGivesAnEmptyListAndAnEmptyRootMeansTheSystems) {
    TSerialPortListing listing("/nonexistent/class/tty");
    std::vector<std::string> ports = {"stale"};
    listing.ListSerialPorts(ports);
    EXPECT_TRUE(ports.empty());
    listing.SetRoot("");
    EXPECT_EQ(listing.Root(), TSerialPortListing::SystemRoot);
}

#ifndef _WIN32
TEST(PlatformPortNames, LinuxShowsAndComparesDevicePaths) {
    EXPECT_EQ(PlatformPortName("COM1"), "/dev/ttyS0");
    EXPECT_EQ(PlatformPortName("com4"), "/dev/ttyS3");
    EXPECT_EQ(PlatformPortName("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(PlatformPortName("/dev/serial/by-id/usb-adapter-port0"),
              "/dev/serial/by-id/usb-adapter-port0");
    EXPECT_EQ(PlatformPortName(""), "");
    EXPECT_TRUE(SameSerialPort("COM2", "/dev/ttyS1"));
    EXPECT_TRUE(SameSerialPort("ttyUSB0", "/dev/ttyUSB0"));
    EXPECT_FALSE(SameSerialPort("/dev/ttyUSB0", "/dev/ttyusb0")) << "device names keep case";
    EXPECT_FALSE(SameSerialPort("COM1", "COM2"));
}

TEST(PlatformPortNames, TheDeviceFolderIsTheStableLinkFolderWhenThereIsOne) {
    const auto root = std::filesystem::temp_directory_path() / "sondrel-dev-test";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    EXPECT_EQ(SerialDeviceFolder(root.string()), root.string());
    std::filesystem::create_directories(root / "serial" / "by-id");
    EXPECT_EQ(SerialDeviceFolder(root.string()), (root / "serial" / "by-id").string());
    std::filesystem::remove_all(root);
}
#endif
