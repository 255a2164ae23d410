// Our client against the pymodbus serial server over a socat link: Read Exception Status,
// every Diagnostics action and Report Server ID in RTU and ASCII, checked against the
// counters, register and identification the test gave the server; and the data access
// functions in ASCII at 8N1 and 7E1.
#include "PeerClient.h"
#include "PymodbusServer.h"
#include "SocatLink.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

using namespace Corvane;
using namespace PeerTests;

namespace {

void ExpectNormal(const Outcome& r) {
    ASSERT_TRUE(r.Arrived) << "no completion";
    EXPECT_EQ(r.Info.Status, rsNormalResponse);
    EXPECT_EQ(r.Info.Attempts, 1u);
}

void ExpectException(const Outcome& r, TServerException exception) {
    ASSERT_TRUE(r.Arrived) << "no completion";
    EXPECT_EQ(r.Info.Status, rsExceptionResponse);
    EXPECT_EQ(r.Info.Exception, exception);
    EXPECT_EQ(r.Info.ExceptionCode, static_cast<std::uint8_t>(exception));
}

// A pymodbus server on one end of a fresh link and our client on the other.
class PymodbusPeerTest {
protected:
    void Start(PymodbusOptions options, TTransmissionMode mode) {
        options.Device = Link.EndA();
        options.Ascii = mode == tmASCII;
        Server = std::make_unique<PymodbusServer>(options);
        Peer = std::make_unique<PeerClient>(Link.EndB(), mode);
    }

    // The server must shut down cleanly on SIGTERM, as the test harness relies on.
    void StopServer() {
        Peer.reset();
        ASSERT_TRUE(Server);
        EXPECT_EQ(Server->Stop(), 0);
    }

    Outcome Diagnose(TDiagnosticAction action) {
        return Peer->Run([&] { return Peer->Client.Diagnostics(action, 0); });
    }

    TestSupport::SocatLink Link;
    std::unique_ptr<PymodbusServer> Server;
    std::unique_ptr<PeerClient> Peer;
};

// --- Functions 07, 08 and 17, in both framings ----------------------------------------

class PymodbusDiagnostics : public PymodbusPeerTest,
                            public ::testing::TestWithParam<TTransmissionMode> {
protected:
    void SetUp() override {
        PymodbusOptions options;
        options.Counters = kCounters;
        options.DiagnosticBits = {0, 9};
        options.IdentificationText = kIdentification;
        Start(options, GetParam());
    }

    static constexpr std::array<std::uint16_t, 8> kCounters = {42, 0, 3, 7, 11, 5, 0, 9};
    static constexpr const char* kIdentification = "Sondrel peer";
};

INSTANTIATE_TEST_SUITE_P(Framing, PymodbusDiagnostics, ::testing::Values(tmRTU, tmASCII),
                         [](const auto& instance) {
                             return instance.param == tmRTU ? "RTU" : "ASCII";
                         });

TEST_P(PymodbusDiagnostics, CountersRegisterAndClearingAreReportedAsTheServerKeepsThem) {
    Peer->Open();
    // Actions that echo their request: the echo check passes and Result stays 0.
    for (auto action :
         {daReturnQueryData, daRestartCommsOption, daRestartCommsOptionAndClearEventLog}) {
        const auto r = Diagnose(action);
        ExpectNormal(r);
        EXPECT_EQ(r.Action, action) << "action " << int(action);
        EXPECT_EQ(r.Result, 0);
    }

    const std::pair<TDiagnosticAction, std::size_t> counters[] = {
        {daReturnBusMessageCount, 0},        {daReturnBusCommErrorCount, 1},
        {daReturnBusExceptionErrorCount, 2}, {daReturnServerMessageCount, 3},
        {daReturnServerNoReplyCount, 4},     {daReturnServerNegativeAcknowledgeCount, 5},
        {daReturnServerBusyCount, 6},        {daReturnBusCharacterOverrunCount, 7},
    };
    for (const auto& [action, index] : counters) {
        const auto r = Diagnose(action);
        ExpectNormal(r);
        EXPECT_EQ(r.Action, action);
        EXPECT_EQ(r.Result, kCounters[index]) << "action " << int(action);
    }
    // pymodbus sends the register's bits 0 to 7 in the first byte (the high byte of the
    // word), least significant bit first: bits 0 and 9 read as 0102h.
    auto r = Diagnose(daReturnDiagnosticRegister);
    ExpectNormal(r);
    EXPECT_EQ(r.Result, 0x0102);

    r = Diagnose(daClearOverrunCounterAndFlag);
    ExpectNormal(r);
    EXPECT_EQ(Diagnose(daReturnBusCharacterOverrunCount).Result, 0);
    EXPECT_EQ(Diagnose(daReturnBusMessageCount).Result, 42) << "only the overrun was cleared";

    r = Diagnose(daClearCountersAndDiagnosticRegister);
    ExpectNormal(r);
    EXPECT_EQ(r.Action, daClearCountersAndDiagnosticRegister);
    EXPECT_EQ(Diagnose(daReturnBusMessageCount).Result, 0);
    EXPECT_EQ(Diagnose(daReturnServerNoReplyCount).Result, 0);
    EXPECT_EQ(Diagnose(daReturnDiagnosticRegister).Result, 0);
    StopServer();
}

TEST_P(PymodbusDiagnostics, ForceListenOnlyModeIsNeverAnswered) {
    Peer->Connection.SetReceiveTimeout(300);
    Peer->Open();
    auto r = Diagnose(daForceListenOnlyMode);
    ASSERT_TRUE(r.Arrived);
    EXPECT_EQ(r.Info.Status, rsTimeoutExpired);
    EXPECT_EQ(r.Action, daForceListenOnlyMode);
    // Restart Communications Option is the way out of listen-only mode.
    r = Diagnose(daRestartCommsOption);
    ExpectNormal(r);
}

TEST_P(PymodbusDiagnostics, ReportServerIdAndExceptionStatus) {
    Peer->Open();
    auto r = Peer->Run([&] { return Peer->Client.ReportServerID(0); });
    ExpectNormal(r);
    // The identification text followed by the run indicator, FFh for "on".
    const std::string text = kIdentification;
    TServerIdentificationData expected(text.begin(), text.end());
    expected.push_back(0xFF);
    EXPECT_EQ(r.IdentificationData, expected);
    EXPECT_EQ(r.IdentificationCount, static_cast<std::int32_t>(expected.size()));

    // pymodbus sets one status bit per counter that is not zero, bus message count in bit 0.
    r = Peer->Run([&] { return Peer->Client.ReadExceptionStatus(0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Status, (TExceptionStatusValues{true, false, true, true, true, true, false, true}));
    ExpectNormal(Diagnose(daClearCountersAndDiagnosticRegister));
    r = Peer->Run([&] { return Peer->Client.ReadExceptionStatus(0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Status, TExceptionStatusValues(8, false));
}

class PymodbusRefusing : public PymodbusPeerTest, public ::testing::Test {};

TEST_F(PymodbusRefusing, FunctionsTheServerLacksAreIllegalCommand) {
    PymodbusOptions options;
    options.Counters = {1, 1, 1, 1, 1, 1, 1, 1};
    options.IdentificationText = "refusing";
    options.Refused = {7, 17};
    Start(options, tmRTU);
    Peer->Connection.SetMaxRetries(3);
    Peer->Open();
    auto r = Peer->Run([&] { return Peer->Client.ReadExceptionStatus(0); });
    ExpectException(r, seIllegalCommand);
    EXPECT_EQ(r.Info.Attempts, 1u) << "an exception reply is never retried";
    EXPECT_EQ(r.Status, TExceptionStatusValues(8, false));
    r = Peer->Run([&] { return Peer->Client.ReportServerID(0); });
    ExpectException(r, seIllegalCommand);
    EXPECT_EQ(r.IdentificationCount, 0);
    EXPECT_TRUE(r.IdentificationData.empty());
}

// --- Data access in ASCII --------------------------------------------------------------

struct LineFormat {
    TDataBits DataBits;
    TParityScheme Parity;
    const char* Name;
};

void PrintTo(const LineFormat& format, std::ostream* os) {
    *os << format.Name;
}

class PymodbusAscii : public PymodbusPeerTest, public ::testing::TestWithParam<LineFormat> {
protected:
    void SetUp() override {
        Start(PymodbusOptions{}, tmASCII);
        Peer->Connection.SetDataBits(GetParam().DataBits);
        Peer->Connection.SetParity(GetParam().Parity);
        Peer->Open();
    }
    Outcome ReadHolding(std::uint16_t start, std::uint16_t count) {
        return Peer->Run([&] { return Peer->Client.ReadHoldingRegisters(start, count, 0); });
    }
    Outcome ReadCoils(std::uint16_t start, std::uint16_t count) {
        return Peer->Run([&] { return Peer->Client.ReadCoils(start, count, 0); });
    }
};

INSTANTIATE_TEST_SUITE_P(Format, PymodbusAscii,
                         ::testing::Values(LineFormat{db8, psNone, "8N1"},
                                           LineFormat{db7, psEven, "7E1"}),
                         [](const auto& instance) { return std::string(instance.param.Name); });

TEST_P(PymodbusAscii, ReadsReturnTheServersTables) {
    auto r = Peer->Run([&] { return Peer->Client.ReadDiscreteInputs(10, 37, 0); });
    ExpectNormal(r);
    TBitValues inputs;
    for (int a = 10; a < 47; ++a) {
        inputs.push_back(PymodbusServer::SeededDiscreteInput(a));
    }
    EXPECT_EQ(r.Bits, inputs);

    r = Peer->Run([&] { return Peer->Client.ReadInputRegisters(1900, 125, 0); });
    ExpectNormal(r);
    TRegValues registers;
    for (int a = 1900; a < 2025; ++a) {
        registers.push_back(PymodbusServer::SeededInputRegister(a));
    }
    EXPECT_EQ(r.Registers, registers) << "the largest register read";

    r = Peer->Run([&] { return Peer->Client.ReadDiscreteInputs(0, 2000, 0); });
    ExpectNormal(r);
    ASSERT_EQ(r.Bits.size(), 2000u);
    EXPECT_EQ(r.Bits[1998], PymodbusServer::SeededDiscreteInput(1998));
    EXPECT_EQ(r.Bits[1999], PymodbusServer::SeededDiscreteInput(1999));
}

TEST_P(PymodbusAscii, WritesAreReadBackFromTheServer) {
    auto& client = Peer->Client;
    ExpectNormal(Peer->Run([&] { return client.WriteSingleCoil(17, true, 0); }));
    auto r = ReadCoils(10, 20);
    ExpectNormal(r);
    TBitValues expectedCoils(20, false);
    expectedCoils[7] = true;
    EXPECT_EQ(r.Bits, expectedCoils);

    TBitValues bits(1968);
    for (std::size_t i = 0; i < bits.size(); ++i) {
        bits[i] = (i * 5) % 7 < 3;
    }
    ExpectNormal(Peer->Run([&] { return client.WriteMultipleCoils(100, bits, 0); }));
    r = ReadCoils(100, 1968);
    ExpectNormal(r);
    EXPECT_EQ(r.Bits, bits) << "the largest coil write";

    ExpectNormal(Peer->Run([&] { return client.WriteSingleRegister(5, 0xBEEF, 0); }));
    TRegValues values(123);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<std::uint16_t>(i * 40503 + 0x1234);
    }
    ExpectNormal(Peer->Run([&] { return client.WriteMultipleRegisters(6, values, 0); }));
    r = ReadHolding(5, 124);
    ExpectNormal(r);
    EXPECT_EQ(r.Registers[0], 0xBEEF);
    EXPECT_EQ(TRegValues(r.Registers.begin() + 1, r.Registers.end()), values)
        << "the largest register write";

    // The example of the Modbus application protocol: 12h AND F2h OR (25h AND NOT F2h) = 17h.
    ExpectNormal(Peer->Run([&] { return client.WriteSingleRegister(300, 0x0012, 0); }));
    ExpectNormal(Peer->Run([&] { return client.MaskWriteSingleRegister(300, 0xF2, 0x25, 0); }));
    EXPECT_EQ(ReadHolding(300, 1).Registers, TRegValues{0x0017});

    r = Peer->Run([&] {
        return client.ReadWriteMultipleRegisters(298, 5, 301, TRegValues{0xA1, 0xA2}, 0);
    });
    ExpectNormal(r);
    EXPECT_EQ(r.Registers, (TRegValues{0, 0, 0x0017, 0xA1, 0xA2})) << "written before read";
}

TEST_P(PymodbusAscii, AddressesPastTheTablesAreIllegalDataAddress) {
    const int end = PymodbusServer::kTableSize;
    ExpectException(ReadHolding(end - 1, 2), seIllegalDataAddress);
    ExpectException(Peer->Run([&] { return Peer->Client.ReadInputRegisters(end, 1, 0); }),
                    seIllegalDataAddress);
    ExpectException(Peer->Run([&] { return Peer->Client.WriteSingleRegister(end, 1, 0); }),
                    seIllegalDataAddress);
    ExpectException(
        Peer->Run([&] { return Peer->Client.WriteMultipleCoils(end - 5, TBitValues(10), 0); }),
        seIllegalDataAddress);
}

} // namespace
