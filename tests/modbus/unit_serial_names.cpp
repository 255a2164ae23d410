// Port names: mapping a configured name to a device path, and listing the ports of a
// (prepared) sysfs tree.
#include "SerialLine.h"
#include "SerialPortNames.h"

#include "FakeSysfs.h"

#include <gtest/gtest.h>

using namespace Corvane;

TEST(ResolvePortName, PathsAreUsedAsGiven) {
    EXPECT_EQ(ResolvePortName("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(ResolvePortName("./ttyFake"), "./ttyFake");
    EXPECT_EQ(ResolvePortName("/dev/serial/by-id/usb-Maker_Adapter-if00-port0"),
              "/dev/serial/by-id/usb-Maker_Adapter-if00-port0");
}

TEST(ResolvePortName, BareNamesAreLookedUpUnderDev) {
    EXPECT_EQ(ResolvePortName("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(ResolvePortName("ttyACM1"), "/dev/ttyACM1");
}

TEST(ResolvePortName, WindowsComNamesMapToTheLegacyPorts) {
    EXPECT_EQ(ResolvePortName("COM1"), "/dev/ttyS0");
    EXPECT_EQ(ResolvePortName("COM12"), "/dev/ttyS11");
    EXPECT_EQ(ResolvePortName("com3"), "/dev/ttyS2");
}

TEST(ResolvePortName, NamesThatOnlyLookLikeComPortsAreNotMapped) {
    EXPECT_EQ(ResolvePortName("COM0"), "/dev/COM0");
    EXPECT_EQ(ResolvePortName("COM"), "/dev/COM");
    EXPECT_EQ(ResolvePortName("COM1x"), "/dev/COM1x");
    EXPECT_EQ(ResolvePortName("COM99999999999"), "/dev/COM99999999999") << "overflowing number";
    EXPECT_EQ(ResolvePortName(""), "");
}

using TestSupport::FakeSysfs;

TEST(SerialPortNames, ListsBackedTtysAndSkipsLegacyPortsWithoutAUart) {
    FakeSysfs sysfs;
    sysfs.AddTty("ttyS0", "serial8250", 0);
    sysfs.AddTty("ttyS1", "serial8250", 4);
    sysfs.AddTty("ttyUSB0", "ftdi_sio");
    sysfs.AddTty("ttyACM0", "cdc_acm");
    sysfs.AddTty("tty1");
    std::vector<std::string> names = {"stale entry"};
    GetSerialPortNames(names, sysfs.TtyRoot());
    EXPECT_EQ(names, (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS1", "/dev/ttyUSB0"}));
}

TEST(SerialPortNames, NumbersAreOrderedByValue) {
    FakeSysfs sysfs;
    for (const char* name : {"ttyS10", "ttyS2", "ttyUSB1", "ttyUSB0", "ttyS1"}) {
        sysfs.AddTty(name, "serial", 4);
    }
    std::vector<std::string> names;
    GetSerialPortNames(names, sysfs.TtyRoot());
    EXPECT_EQ(names, (std::vector<std::string>{"/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS10",
                                               "/dev/ttyUSB0", "/dev/ttyUSB1"}));
}

TEST(SerialPortNames, MissingRootGivesAnEmptyList) {
    std::vector<std::string> names = {"stale entry"};
    GetSerialPortNames(names, "/nonexistent/sysfs/class/tty");
    EXPECT_TRUE(names.empty());
}
