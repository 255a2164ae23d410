// The five-second serial port check.
#include "PortMonitor.h"

#include <gtest/gtest.h>

using namespace Sondrel;

namespace {

const std::string Added = "Additional serial port found.  Use COM Port drop down to select.\r\n";

// One check as the window does it: the picker shows the stored port when present.
TPortCheckResult CheckWith(TPortMonitor& monitor, const std::vector<std::string>& ports,
                           const std::string& stored) {
    return monitor.Check(ports, PickerText(ports, stored));
}

} // namespace

TEST(PortMonitor, NothingIsSaidWhenNothingChanged) {
    const std::vector<std::string> ports = {"COM1", "COM3"};
    TPortMonitor monitor;
    monitor.FormShow(2, PickerText(ports, "COM3"));
    const auto result = CheckWith(monitor, ports, "COM3");
    EXPECT_FALSE(result.Line.has_value());
    EXPECT_FALSE(result.StoreSerialPort);
    EXPECT_FALSE(result.CloseConnection);
}

TEST(PortMonitor, ANewPortIsAnnouncedOnceInGreen) {
    TPortMonitor monitor;
    monitor.FormShow(1, "COM1");
    const auto first = CheckWith(monitor, {"COM1", "COM4"}, "COM1");
    ASSERT_TRUE(first.Line.has_value());
    EXPECT_EQ(*first.Line, (TPortLogLine{Added, TPortLogLine::Green}));
    EXPECT_FALSE(first.CloseConnection);
    EXPECT_FALSE(CheckWith(monitor, {"COM1", "COM4"}, "COM1").Line.has_value());
}

TEST(PortMonitor, LosingTheSelectedPortIsReportedStoredAndClosesTheConnection) {
    TPortMonitor monitor;
    monitor.FormShow(2, "COM4");
    const auto result = CheckWith(monitor, {"COM1"}, "COM4");
    ASSERT_TRUE(result.Line.has_value());
    EXPECT_EQ(
        *result.Line,
        (TPortLogLine{"Serial port [COM4] no longer exists.  Please verify before continuing.\r\n",
                      TPortLogLine::Red}));
    EXPECT_TRUE(result.StoreSerialPort);
    EXPECT_EQ(result.SerialPort, "COM1");
    EXPECT_TRUE(result.CloseConnection);
    EXPECT_EQ(monitor.LastPortName(), "COM1");
    EXPECT_EQ(monitor.LastPortCount(), 1);
    // Once reported, the next check is quiet.
    EXPECT_FALSE(CheckWith(monitor, {"COM1"}, "COM1").Line.has_value());
}

TEST(PortMonitor, LosingAnotherPortSaysNothing) {
    TPortMonitor monitor;
    monitor.FormShow(3, "COM1");
    const auto result = CheckWith(monitor, {"COM1", "COM3"}, "COM1");
    EXPECT_FALSE(result.Line.has_value());
    EXPECT_FALSE(result.CloseConnection);
    EXPECT_EQ(monitor.LastPortCount(), 2);
}

TEST(PortMonitor, LosingTheLastPortLeavesAnEmptySelection) {
    TPortMonitor monitor;
    monitor.FormShow(1, "/dev/ttyUSB0");
    const auto result = CheckWith(monitor, {}, "/dev/ttyUSB0");
    ASSERT_TRUE(result.Line.has_value());
    EXPECT_NE(result.Line->Text.find("[/dev/ttyUSB0]"), std::string::npos);
    EXPECT_EQ(result.SerialPort, "");
    EXPECT_FALSE(CheckWith(monitor, {}, "").Line.has_value());
}

TEST(PortPicker, ShowsTheWantedPortWhateverItsCaseElseTheFirst) {
    EXPECT_EQ(PickerText({"COM1", "COM3"}, "com3"), "COM3");
    EXPECT_EQ(PickerText({"COM1", "COM3"}, "COM9"), "COM1");
    EXPECT_EQ(PickerText({}, "COM1"), "");
}

TEST(PortPicker, NamesSortAlphabeticallyWithoutRegardToCase) {
    std::vector<std::string> names = {"COM3", "com10", "/dev/ttyUSB0", "COM1", "COM2"};
    SortPortNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"/dev/ttyUSB0", "COM1", "com10", "COM2", "COM3"}));
}
