// Typed values at their limits: the device address of the port settings is converted as a
// 32-bit integer, as the stored address is at start, so that no text is taken now and refused
// at the next start.
#include "PortSettings.h"

#include "CorvaneError.h"

#include <gtest/gtest.h>

using namespace Sondrel;
using namespace Corvane;

TEST(HostileTypedValues, TheDeviceAddressIsA32BitIntegerOfWhichTheLowByteIsUsed) {
    TModbusConnection connection;
    TModbusClient client;
    client.SetConnection(&connection);
    ApplyPortSettings(client, connection, "2147483647", "COM2", {});
    EXPECT_EQ(client.ServerAddress(), 255);
    ApplyPortSettings(client, connection, "-2147483648", "COM3", {});
    EXPECT_EQ(client.ServerAddress(), 0);
    for (const char* text : {"2147483648", "-2147483649", "4294967297", "99999999999999999999"}) {
        SCOPED_TRACE(text);
        try {
            ApplyPortSettings(client, connection, text, "COM4", {7, 0, 1, 2, 3});
            ADD_FAILURE() << "no error";
        } catch (const ECorvaneError& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("'") + text + "' is not a valid integer value");
        }
        EXPECT_EQ(client.ServerAddress(), 0) << "nothing applied";
        EXPECT_EQ(connection.Port(), "COM3");
        EXPECT_EQ(connection.BaudRate(), br9600);
    }
}

TEST(HostileTypedValues, APastedControlCharacterInTheDeviceAddressIsShownAsAQuestionMark) {
    TModbusConnection connection;
    TModbusClient client;
    client.SetConnection(&connection);
    try {
        ApplyPortSettings(client, connection,
                          std::string("1\0"
                                      "2\t",
                                      4),
                          "COM4", {});
        FAIL() << "no error";
    } catch (const ECorvaneError& e) {
        EXPECT_STREQ(e.what(), "'1?2?' is not a valid integer value");
    }
}
