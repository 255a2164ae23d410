// Our client in RTU against the libmodbus server over a socat link: every data access
// function and Report Server ID with values checked both ways, the exception replies of a
// real server, the largest standard counts, unanswered requests and broadcasts.
#include "LibmodbusRtuServer.h"
#include "MainThreadPump.h"
#include "PeerClient.h"
#include "SocatLink.h"

#include <modbus-version.h>

#include <gtest/gtest.h>

#include <string>

using namespace Corvane;
using namespace PeerTests;
using namespace std::chrono_literals;

namespace {

// One range per table; everything outside is an illegal data address.
constexpr MappingLayout kLayout{
    .CoilStart = 100,
    .CoilCount = 2000,
    .DiscreteInputStart = 200,
    .DiscreteInputCount = 2000,
    .HoldingRegisterStart = 1000,
    .HoldingRegisterCount = 200,
    .InputRegisterStart = 3000,
    .InputRegisterCount = 150,
};

std::uint16_t Pattern(int i) {
    return static_cast<std::uint16_t>(i * 40503 + 0x1234);
}

bool BitPattern(int i) {
    return (i * 5) % 7 < 3;
}

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
    EXPECT_EQ(r.Info.Attempts, 1u) << "an exception reply is never retried";
}

class LibmodbusPeer : public ::testing::Test {
protected:
    void SetUp() override {
        Server.WithMapping([](modbus_mapping_t& m) {
            for (int i = 0; i < m.nb_bits; ++i) {
                m.tab_bits[i] = BitPattern(i);
            }
            for (int i = 0; i < m.nb_input_bits; ++i) {
                m.tab_input_bits[i] = BitPattern(i + 3);
            }
            for (int i = 0; i < m.nb_registers; ++i) {
                m.tab_registers[i] = Pattern(i);
            }
            for (int i = 0; i < m.nb_input_registers; ++i) {
                m.tab_input_registers[i] = static_cast<std::uint16_t>(~Pattern(i));
            }
            return 0;
        });
        Peer.Open();
    }

    // The server's tables, by Modbus address.
    TBitValues Coils(int start, int count) {
        return Server.WithMapping([&](modbus_mapping_t& m) {
            TBitValues v;
            for (int i = 0; i < count; ++i) {
                v.push_back(m.tab_bits[start - kLayout.CoilStart + i] != 0);
            }
            return v;
        });
    }
    TBitValues DiscreteInputs(int start, int count) {
        return Server.WithMapping([&](modbus_mapping_t& m) {
            TBitValues v;
            for (int i = 0; i < count; ++i) {
                v.push_back(m.tab_input_bits[start - kLayout.DiscreteInputStart + i] != 0);
            }
            return v;
        });
    }
    TRegValues Holding(int start, int count) {
        return Server.WithMapping([&](modbus_mapping_t& m) {
            TRegValues v;
            for (int i = 0; i < count; ++i) {
                v.push_back(m.tab_registers[start - kLayout.HoldingRegisterStart + i]);
            }
            return v;
        });
    }
    TRegValues Inputs(int start, int count) {
        return Server.WithMapping([&](modbus_mapping_t& m) {
            TRegValues v;
            for (int i = 0; i < count; ++i) {
                v.push_back(m.tab_input_registers[start - kLayout.InputRegisterStart + i]);
            }
            return v;
        });
    }
    void SetHolding(int address, std::uint16_t value) {
        Server.WithMapping([&](modbus_mapping_t& m) {
            return m.tab_registers[address - kLayout.HoldingRegisterStart] = value;
        });
    }
    void SetCoil(int address, bool value) {
        Server.WithMapping(
            [&](modbus_mapping_t& m) { return m.tab_bits[address - kLayout.CoilStart] = value; });
    }

    TestSupport::SocatLink Link;
    LibmodbusRtuServer Server{Link.EndA(), kLayout};
    PeerClient Peer{Link.EndB(), tmRTU};
    TModbusClient& Client = Peer.Client;
};

TEST_F(LibmodbusPeer, ReadsReturnWhatTheServerHolds) {
    auto r = Peer.Run([&] { return Client.ReadCoils(105, 19, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Start, 105);
    EXPECT_EQ(r.Count, 19);
    EXPECT_EQ(r.Bits, Coils(105, 19));

    r = Peer.Run([&] { return Client.ReadDiscreteInputs(2190, 10, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Bits, DiscreteInputs(2190, 10)) << "up to the last input";

    r = Peer.Run([&] { return Client.ReadHoldingRegisters(1000, 10, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Registers, Holding(1000, 10));

    r = Peer.Run([&] { return Client.ReadInputRegisters(3143, 7, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Start, 3143);
    EXPECT_EQ(r.Registers, Inputs(3143, 7));
}

TEST_F(LibmodbusPeer, WritesLandInTheServersTables) {
    SetCoil(150, false);
    auto r = Peer.Run([&] { return Client.WriteSingleCoil(150, true, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Bits, TBitValues{true});
    EXPECT_EQ(Coils(150, 1), TBitValues{true});
    r = Peer.Run([&] { return Client.WriteSingleCoil(150, false, 0); });
    ExpectNormal(r);
    EXPECT_EQ(Coils(150, 1), TBitValues{false});

    r = Peer.Run([&] { return Client.WriteSingleRegister(1010, 0xBEEF, 0); });
    ExpectNormal(r);
    EXPECT_EQ(Holding(1010, 1), TRegValues{0xBEEF});

    // Neighbours on both sides stay as they were: nothing spills over the packed bytes.
    SetCoil(299, true);
    SetCoil(337, true);
    TBitValues bits;
    for (int i = 0; i < 37; ++i) {
        bits.push_back(i % 4 == 1 || i == 36);
    }
    r = Peer.Run([&] { return Client.WriteMultipleCoils(300, bits, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Bits, bits);
    EXPECT_EQ(Coils(300, 37), bits);
    EXPECT_EQ(Coils(299, 1), TBitValues{true});
    EXPECT_EQ(Coils(337, 1), TBitValues{true});

    SetHolding(1099, 0x5A5A);
    SetHolding(1110, 0x5A5A);
    const TRegValues values = {1, 0xFFFF, 0x8000, 0x00FF, 42, 7, 0, 0x1234, 0xABCD, 9};
    r = Peer.Run([&] { return Client.WriteMultipleRegisters(1100, values, 0); });
    ExpectNormal(r);
    EXPECT_EQ(Holding(1100, 10), values);
    EXPECT_EQ(Holding(1099, 1), TRegValues{0x5A5A});
    EXPECT_EQ(Holding(1110, 1), TRegValues{0x5A5A});
}

TEST_F(LibmodbusPeer, MaskWriteCombinesTheMasksWithTheRegister) {
    // The example of the Modbus application protocol: 12h AND F2h OR (25h AND NOT F2h) = 17h.
    SetHolding(1020, 0x0012);
    const auto r =
        Peer.Run([&] { return Client.MaskWriteSingleRegister(1020, 0x00F2, 0x0025, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Start, 1020);
    EXPECT_EQ(r.Registers, (TRegValues{0x00F2, 0x0025}));
    EXPECT_EQ(Holding(1020, 1), TRegValues{0x0017});
}

TEST_F(LibmodbusPeer, ReadWriteMultipleRegistersWritesBeforeItReads) {
    const TRegValues before = Holding(1030, 10);
    const TRegValues written = {0x1111, 0x2222, 0x3333};
    const auto r =
        Peer.Run([&] { return Client.ReadWriteMultipleRegisters(1030, 10, 1035, written, 0); });
    ExpectNormal(r);
    TRegValues expected = before;
    std::copy(written.begin(), written.end(), expected.begin() + 5);
    EXPECT_EQ(r.Registers, expected);
    EXPECT_EQ(Holding(1030, 10), expected);
}

TEST_F(LibmodbusPeer, ReportServerIdCarriesTheServersIdentification) {
    const auto r = Peer.Run([&] { return Client.ReportServerID(0); });
    ExpectNormal(r);
    // libmodbus answers with its server id byte, the run indicator (FFh: on) and its name
    // and version.
    const std::string text = "LMB" LIBMODBUS_VERSION_STRING;
    ASSERT_EQ(r.IdentificationCount, static_cast<std::int32_t>(r.IdentificationData.size()));
    ASSERT_EQ(r.IdentificationData.size(), 2 + text.size());
    EXPECT_EQ(r.IdentificationData[1], 0xFF);
    EXPECT_EQ(std::string(r.IdentificationData.begin() + 2, r.IdentificationData.end()), text);
}

TEST_F(LibmodbusPeer, LargestStandardCountsWorkBothWays) {
    auto r = Peer.Run([&] { return Client.ReadCoils(100, 2000, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Bits, Coils(100, 2000));
    r = Peer.Run([&] { return Client.ReadDiscreteInputs(200, 2000, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Bits, DiscreteInputs(200, 2000));
    r = Peer.Run([&] { return Client.ReadHoldingRegisters(1075, 125, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Registers, Holding(1075, 125));
    r = Peer.Run([&] { return Client.ReadInputRegisters(3025, 125, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Registers, Inputs(3025, 125));

    TBitValues bits(1968);
    for (std::size_t i = 0; i < bits.size(); ++i) {
        bits[i] = !BitPattern(static_cast<int>(i));
    }
    r = Peer.Run([&] { return Client.WriteMultipleCoils(132, bits, 0); });
    ExpectNormal(r);
    EXPECT_EQ(Coils(132, 1968), bits);

    TRegValues values(123);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<std::uint16_t>(~Pattern(static_cast<int>(i) + 500));
    }
    r = Peer.Run([&] { return Client.WriteMultipleRegisters(1077, values, 0); });
    ExpectNormal(r);
    EXPECT_EQ(Holding(1077, 123), values);

    const TRegValues written(values.begin(), values.begin() + 121);
    r = Peer.Run([&] { return Client.ReadWriteMultipleRegisters(1000, 125, 1004, written, 0); });
    ExpectNormal(r);
    EXPECT_EQ(Holding(1004, 121), written);
    EXPECT_EQ(r.Registers, Holding(1000, 125));
}

TEST_F(LibmodbusPeer, AddressesOutsideTheTablesAreIllegalDataAddress) {
    Peer.Connection.SetMaxRetries(3);
    const TRegValues holdingBefore = Holding(1000, 200);
    const TBitValues coilsBefore = Coils(100, 2000);

    for (const auto& [start, count] : {std::pair{99, 1}, {2090, 11}}) {
        ExpectException(Peer.Run([&] { return Client.ReadCoils(start, count, 0); }),
                        seIllegalDataAddress);
    }
    ExpectException(Peer.Run([&] { return Client.ReadDiscreteInputs(199, 1, 0); }),
                    seIllegalDataAddress);
    ExpectException(Peer.Run([&] { return Client.ReadHoldingRegisters(1199, 2, 0); }),
                    seIllegalDataAddress);
    for (const auto& [start, count] : {std::pair{2999, 1}, {3149, 2}}) {
        const auto r = Peer.Run([&] { return Client.ReadInputRegisters(start, count, 0); });
        ExpectException(r, seIllegalDataAddress);
        EXPECT_EQ(r.Registers, TRegValues(static_cast<std::size_t>(count), 0))
            << "values of a failed read are 0";
    }

    ExpectException(Peer.Run([&] { return Client.WriteSingleCoil(2100, true, 0); }),
                    seIllegalDataAddress);
    ExpectException(Peer.Run([&] { return Client.WriteSingleRegister(999, 1, 0); }),
                    seIllegalDataAddress);
    ExpectException(
        Peer.Run([&] { return Client.WriteMultipleCoils(2095, TBitValues(10, true), 0); }),
        seIllegalDataAddress);
    ExpectException(
        Peer.Run([&] { return Client.WriteMultipleRegisters(1195, TRegValues(6, 0xEEEE), 0); }),
        seIllegalDataAddress);
    ExpectException(Peer.Run([&] { return Client.MaskWriteSingleRegister(1200, 0, 0xFFFF, 0); }),
                    seIllegalDataAddress);
    // Read range outside, write range inside: nothing is written.
    ExpectException(Peer.Run([&] {
        return Client.ReadWriteMultipleRegisters(1190, 11, 1000, TRegValues(4, 0xEEEE), 0);
    }),
                    seIllegalDataAddress);

    EXPECT_EQ(Holding(1000, 200), holdingBefore);
    EXPECT_EQ(Coils(100, 2000), coilsBefore);
}

TEST_F(LibmodbusPeer, CountsBeyondTheStandardAreIllegalDataValue) {
    // Our client accepts up to 128 registers and 2048 bits; the server holds the line at the
    // standard's 125 and 2000.
    ExpectException(Peer.Run([&] { return Client.ReadHoldingRegisters(1000, 126, 0); }),
                    seIllegalDataValue);
    ExpectException(Peer.Run([&] { return Client.ReadInputRegisters(3000, 128, 0); }),
                    seIllegalDataValue);
    ExpectException(Peer.Run([&] { return Client.ReadCoils(100, 2001, 0); }), seIllegalDataValue);
    ExpectException(Peer.Run([&] {
        return Client.ReadWriteMultipleRegisters(1000, 126, 1000, TRegValues{1}, 0);
    }),
                    seIllegalDataValue);
}

TEST_F(LibmodbusPeer, FunctionsTheServerCannotAnswerTimeOutAndTheLineRecovers) {
    // libmodbus leaves Read Exception Status unanswered, and it takes a Diagnostics request
    // for a 4-byte frame, fails its check and flushes the rest. (The pymodbus tests show an
    // "illegal function" exception reply.)
    Peer.Connection.SetMaxRetries(2);
    Peer.Connection.SetReceiveTimeout(200);
    auto r = Peer.Run([&] { return Client.ReadExceptionStatus(0); });
    ASSERT_TRUE(r.Arrived);
    EXPECT_EQ(r.Info.Status, rsTimeoutExpired);
    EXPECT_EQ(r.Info.Attempts, 2u);
    EXPECT_EQ(r.Status, TExceptionStatusValues(8, false));

    r = Peer.Run([&] { return Client.Diagnostics(daReturnQueryData, 0); });
    ASSERT_TRUE(r.Arrived);
    EXPECT_EQ(r.Info.Status, rsTimeoutExpired);
    EXPECT_EQ(r.Result, 0);

    r = Peer.Run([&] { return Client.ReadHoldingRegisters(1000, 3, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Registers, Holding(1000, 3));
}

TEST_F(LibmodbusPeer, RequestsForAnotherAddressTimeOutAfterEveryAttempt) {
    Peer.Connection.SetMaxRetries(2);
    Peer.Connection.SetReceiveTimeout(150);
    const int served = Server.RequestsServed();
    Client.SetServerAddress(9);
    auto r = Peer.Run([&] { return Client.ReadHoldingRegisters(1000, 1, 0); });
    ASSERT_TRUE(r.Arrived);
    EXPECT_EQ(r.Info.Status, rsTimeoutExpired);
    EXPECT_EQ(r.Info.Attempts, 2u);
    EXPECT_EQ(r.Info.ServerAddress, 9);
    EXPECT_EQ(Server.RequestsServed(), served);

    Client.SetServerAddress(1);
    r = Peer.Run([&] { return Client.ReadHoldingRegisters(1000, 1, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Registers, Holding(1000, 1));
}

TEST_F(LibmodbusPeer, BroadcastWritesReachTheServerWithoutACompletion) {
    SetHolding(1040, 0);
    Peer.Connection.BroadcastSingleRegisterWrite(1040, 0x4242, 0);
    TBitValues bits = {true, false, false, true, true};
    Peer.Connection.BroadcastMultipleCoilsWrite(400, bits, 0);
    EXPECT_TRUE(TestSupport::PumpUntil(
        [&] { return Holding(1040, 1) == TRegValues{0x4242} && Coils(400, 5) == bits; }, 3s));

    // The line is clean afterwards: the next request gets its own reply.
    const auto r = Peer.Run([&] { return Client.ReadHoldingRegisters(1040, 1, 0); });
    ExpectNormal(r);
    EXPECT_EQ(r.Registers, TRegValues{0x4242});
}

} // namespace
