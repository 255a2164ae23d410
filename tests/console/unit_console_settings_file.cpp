// The console settings file: read order and defaults, custom baud rate, values refused by
// their properties or by the file reader, and writing every key.
#include "ConsoleFileError.h"
#include "ConsoleSettingsFile.h"
#include "ConsoleTestSupport.h"
#include "PortSettings.h"

#include "CorvaneError.h"

#include <gtest/gtest.h>

using namespace Sondrel;
using namespace Corvane;
using ConsoleTest::ReadAll;
using ConsoleTest::TRecordingView;
using ConsoleTest::TTempFolder;
using ConsoleTest::WriteAll;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    SettingsFile() {
        Client.SetConnection(&Connection);
        Server.SetConnection(&Connection);
    }

    void Read(const std::string& text) {
        WriteAll(Path(), text);
        File.ReadSettingsFile(Targets());
    }
    std::string ReadError(const std::string& text) {
        try {
            Read(text);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "<no error>";
    }
    std::filesystem::path Path() const { return Folder / "CorvaneDemo.dat"; }
    TConsoleSettingsTargets Targets() {
        return TConsoleSettingsTargets{Connection, Client, Server, Log};
    }

    TTempFolder Folder;
    TConsoleSettingsFile File{Folder / "CorvaneDemo.dat"};
    TModbusConnection Connection;
    TModbusClient Client;
    TModbusServer Server;
    TRecordingView View;
    TTransactionLog Log{View};
};

} // namespace

TEST_F(SettingsFile, AMissingFileGivesTheFileDefaultsNotTheComponentDefaults) {
    Connection.SetMaxRetries(3);
    Connection.SetParity(psNone);
    Connection.SetBaudRate(br9600);
    File.ReadSettingsFile(Targets());
    EXPECT_EQ(Connection.BaudRate(), br19200);
    EXPECT_EQ(Connection.Parity(), psEven);
    EXPECT_EQ(Connection.MaxRetries(), 1u);
    EXPECT_EQ(Connection.TurnaroundDelay(), 100u);
    EXPECT_EQ(Connection.Port(), "COM1");
    EXPECT_FALSE(Log.LogTransactionsToFile());
    EXPECT_FALSE(std::filesystem::exists(Path()));
}

TEST_F(SettingsFile, ACustomBaudRateAloneIs19200) {
    Read("[ModbusConnection1]\r\nBaudRate=15\r\n");
    EXPECT_EQ(Connection.BaudRate(), brCustom);
    EXPECT_EQ(Connection.CustomBaudRate(), 19200u);
}

TEST_F(SettingsFile, ACustomRateIsIgnoredUnlessTheBaudRateIsCustom) {
    Read("[ModbusConnection1]\r\nBaudRate=6\r\nCustomBaudRate=300\r\n");
    EXPECT_EQ(Connection.BaudRate(), br9600);
    EXPECT_EQ(Connection.CustomBaudRate(), 19200u);
    Read("[modbusconnection1]\r\nbaudrate=15\r\ncustombaudrate=300\r\n");
    EXPECT_EQ(Connection.BaudRate(), brCustom);
    EXPECT_EQ(Connection.CustomBaudRate(), 300u);
}

TEST_F(SettingsFile, EveryKeyReachesItsTarget) {
    Read(
        "[General]\r\nLogTransactionsToFile=5\r\n"
        "[ModbusConnection1]\r\nConnectionMode=1\r\nDataBits=0\r\nDTREnabled=0\r\n"
        "EchoQueryBeforeReply=1\r\nFlowControl=3\r\nMaxRetries=4\r\nParity=1\r\nPort=/dev/ttyS4\r\n"
        "ReceiveTimeout=3000000000\r\nRefetchDelay=7\r\nRTSEnabled=0\r\nSendTimeout=11\r\n"
        "SilentInterval=13\r\nStopBits=1\r\nThreadPriority=6\r\nTransmissionMode=1\r\n"
        "TurnaroundDelay=17\r\n[ModbusClient1]\r\nServerAddress=513\r\n"
        "[ModbusServer1]\r\nAddress=247\r\n");
    EXPECT_TRUE(Log.LogTransactionsToFile());
    EXPECT_EQ(Connection.ConnectionMode(), cmServer);
    EXPECT_EQ(Connection.DataBits(), db7);
    EXPECT_FALSE(Connection.DTREnabled());
    EXPECT_TRUE(Connection.EchoQueryBeforeReply());
    EXPECT_EQ(Connection.FlowControl(), fcDtrDsr);
    EXPECT_EQ(Connection.MaxRetries(), 4u);
    EXPECT_EQ(Connection.Parity(), psOdd);
    EXPECT_EQ(Connection.Port(), "/dev/ttyS4");
    EXPECT_EQ(Connection.ReceiveTimeout(), 3000000000u);
    EXPECT_EQ(Connection.RefetchDelay(), 7u);
    EXPECT_FALSE(Connection.RTSEnabled());
    EXPECT_EQ(Connection.SendTimeout(), 11u);
    EXPECT_EQ(Connection.SilentInterval(), 13u);
    EXPECT_EQ(Connection.StopBits(), sb2);
    EXPECT_EQ(Connection.ThreadPriority(), tpTimeCritical);
    EXPECT_EQ(Connection.TransmissionMode(), tmASCII);
    EXPECT_EQ(Connection.TurnaroundDelay(), 17u);
    EXPECT_EQ(Client.ServerAddress(), 1); // the low 8 bits of 513
    EXPECT_EQ(Server.Address(), 247);
}

TEST_F(SettingsFile, TextWhereANumberBelongsReadsAsTheDefault) {
    Read("[ModbusConnection1]\r\nMaxRetries=three\r\nParity=0x1\r\nSendTimeout=\r\n");
    EXPECT_EQ(Connection.MaxRetries(), 1u);
    EXPECT_EQ(Connection.Parity(), psEven);
    EXPECT_EQ(Connection.SendTimeout(), 1000u);
}

TEST_F(SettingsFile, AValueThePropertyRefusesStopsReadingWithItsError) {
    EXPECT_EQ(ReadError("[ModbusConnection1]\r\nMaxRetries=0\r\nParity=1\r\n"),
              "SSS Value must be between 1 and 4294967295");
    EXPECT_EQ(Connection.Parity(), psEven); // not read
    EXPECT_EQ(ReadError("[ModbusServer1]\r\nAddress=248\r\n"),
              "SSS Value must be between 1 and 247");
    EXPECT_EQ(ReadError("[ModbusServer1]\r\nAddress=0\r\n"), "SSS Value must be between 1 and 247");
}

TEST_F(SettingsFile, NumbersNoValueOfThePropertyCanHoldAreRefusedNamingTheKey) {
    const std::string ordinal = ReadError("[ModbusConnection1]\r\nBaudRate=16\r\nPort=COM4\r\n");
    EXPECT_NE(ordinal.find("BaudRate"), std::string::npos) << ordinal;
    EXPECT_NE(ordinal.find("Value must be between 0 and 15"), std::string::npos) << ordinal;
    EXPECT_EQ(Connection.Port(), "COM1");
    const std::string negative = ReadError("[ModbusConnection1]\r\nSendTimeout=-5\r\n");
    EXPECT_NE(negative.find("SendTimeout"), std::string::npos) << negative;
    EXPECT_THROW(Read("[ModbusConnection1]\r\nTransmissionMode=2\r\n"), EConsoleFileError);
}

TEST_F(SettingsFile, WritingStoresEveryKeyAndReadingGivesTheValuesBack) {
    Connection.SetBaudRate(brCustom);
    Connection.SetCustomBaudRate(250000);
    Connection.SetReceiveTimeout(4000000000u);
    Connection.SetPort("/dev/ttyUSB1");
    Connection.SetThreadPriority(tpLower);
    Client.SetServerAddress(200);
    Server.SetAddress(33);
    Log.SetLogTransactionsToFile(true);
    File.WriteSettingsFile(Targets());
    const std::string text = ReadAll(Path());
    EXPECT_NE(text.find("CustomBaudRate=250000"), std::string::npos);
    EXPECT_NE(text.find("LogTransactionsToFile=1"), std::string::npos);

    TModbusConnection other;
    TModbusClient otherClient;
    TModbusServer otherServer;
    TRecordingView view;
    TTransactionLog otherLog(view);
    File.ReadSettingsFile({other, otherClient, otherServer, otherLog});
    EXPECT_EQ(other.BaudRate(), brCustom);
    EXPECT_EQ(other.CustomBaudRate(), 250000u);
    EXPECT_EQ(other.ReceiveTimeout(), 4000000000u);
    EXPECT_EQ(other.Port(), "/dev/ttyUSB1");
    EXPECT_EQ(other.ThreadPriority(), tpLower);
    EXPECT_EQ(otherClient.ServerAddress(), 200);
    EXPECT_EQ(otherServer.Address(), 33);
    EXPECT_TRUE(otherLog.LogTransactionsToFile());
}

TEST_F(SettingsFile, TheFrameTimingIsClassicUnlessTheFileSaysStandard) {
    Connection.SetFrameTiming(ftStandard);
    Read("[ModbusConnection1]\r\nBaudRate=12\r\n");
    EXPECT_EQ(Connection.FrameTiming(), ftClassic) << "a missing key means classic";
    Read("[ModbusConnection1]\r\nFrameTiming=1\r\n");
    EXPECT_EQ(Connection.FrameTiming(), ftStandard);
    const std::string refused = ReadError("[ModbusConnection1]\r\nFrameTiming=2\r\n");
    EXPECT_NE(refused.find("FrameTiming"), std::string::npos) << refused;
    EXPECT_NE(refused.find("Value must be between 0 and 1"), std::string::npos) << refused;

    Connection.SetFrameTiming(ftStandard);
    File.WriteSettingsFile(Targets());
    EXPECT_NE(ReadAll(Path()).find("FrameTiming=1\r\n"), std::string::npos);
    Connection.SetFrameTiming(ftClassic);
    File.WriteSettingsFile(Targets());
    EXPECT_NE(ReadAll(Path()).find("FrameTiming=0\r\n"), std::string::npos);
}

TEST_F(SettingsFile, AnEarlierCustomRateStaysInTheFileAndUnknownKeysAreKept) {
    WriteAll(Path(), "[ModbusConnection1]\r\nCustomBaudRate=1200\r\nColour=blue\r\n");
    Connection.SetBaudRate(br57600);
    File.WriteSettingsFile(Targets());
    const std::string text = ReadAll(Path());
    EXPECT_NE(text.find("CustomBaudRate=1200"), std::string::npos);
    EXPECT_NE(text.find("Colour=blue"), std::string::npos);
    EXPECT_NE(text.find("BaudRate=11"), std::string::npos);
}

// --- Device port settings ---------------------------------------------------------------------

TEST(PortSettingIndexes, ListIndexesMapToTheirSettingsAndOthersToTheFallback) {
    EXPECT_EQ(BaudRateFromIndex(0), br2400);
    EXPECT_EQ(BaudRateFromIndex(6), br57600);
    EXPECT_EQ(BaudRateFromIndex(7), br115200);
    EXPECT_EQ(BaudRateFromIndex(8), br9600);
    EXPECT_EQ(BaudRateFromIndex(-1), br9600);
    EXPECT_EQ(DataBitsFromIndex(0), db7);
    EXPECT_EQ(DataBitsFromIndex(5), db8);
    EXPECT_EQ(StopBitsFromIndex(1), sb2);
    EXPECT_EQ(StopBitsFromIndex(2), sb1);
    EXPECT_EQ(ParityFromIndex(2), psEven);
    EXPECT_EQ(ParityFromIndex(3), psNone);
    EXPECT_EQ(FlowControlFromIndex(3), fcDtrDsr);
    EXPECT_EQ(FlowControlFromIndex(4), fcNone);
}

TEST(PortSettingIndexes, AnAddressThatIsNotANumberStopsBeforeAnythingIsApplied) {
    TModbusConnection connection;
    TModbusClient client;
    client.SetConnection(&connection);
    try {
        ApplyPortSettings(client, connection, "", "COM5", {7, 0, 1, 2, 3});
        FAIL() << "no error";
    } catch (const ECorvaneError& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }
    EXPECT_EQ(connection.Port(), "COM1");
    ApplyPortSettings(client, connection, "258", "COM5", {7, 0, 1, 2, 3});
    EXPECT_EQ(client.ServerAddress(), 2);
    EXPECT_EQ(connection.Port(), "COM5");
    EXPECT_EQ(connection.BaudRate(), br115200);
    EXPECT_EQ(connection.DataBits(), db7);
    EXPECT_EQ(connection.StopBits(), sb2);
    EXPECT_EQ(connection.Parity(), psEven);
    EXPECT_EQ(connection.FlowControl(), fcDtrDsr);
}
