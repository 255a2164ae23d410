// The whole library on Windows: a client-mode connection on COM1 and a server-mode connection
// on COM2 of the Wine prefix (joined by a socat pty pair), both served by this test's main
// thread. Requests cross the line in RTU and ASCII, with the worker threads' overlapped waits,
// retries, time-outs, exception replies and the stop of a server that waits without limit.
#include "MainThreadPump.h"

#include "MainThreadBridge.h"
#include "ModbusClient.h"
#include "ModbusConnection.h"
#include "ModbusServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <vector>

using namespace Corvane;
using namespace TestSupport;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

struct Completion {
    TTransactionInfo Info;
    TRegValues Values;
};

class ClientAndServer : public ::testing::TestWithParam<TTransmissionMode> {
protected:
    void SetUp() override {
        TMainThreadBridge::Instance().AdoptCurrentThread();
        // No parity: Wine cannot change a pseudo-terminal's settings again once parity is on
        // (see serial_win32_line.cpp).
        for (TModbusConnection* c : {&ClientLine, &ServerLine}) {
            c->SetTransmissionMode(GetParam());
            c->SetBaudRate(br38400);
            c->SetParity(psNone);
        }
        ClientLine.SetPort("COM1");
        ClientLine.SetReceiveTimeout(500);
        ClientLine.SetMaxRetries(2);
        ClientLine.SetThreadPriority(tpHigher);
        ClientLine.OnFrameSend = [this](TModbusConnection&, const TFrameData&) { ++FramesSent; };
        Client.SetConnection(&ClientLine);
        Client.OnHoldingRegistersRead = [this](TModbusClient&, const TTransactionInfo& info,
                                               std::uint16_t, std::uint16_t,
                                               const TRegValues& values) {
            Completions.push_back({info, values});
        };
        Client.OnSingleRegisterWrite = [this](TModbusClient&, const TTransactionInfo& info,
                                              std::uint16_t, std::uint16_t) {
            Completions.push_back({info, {}});
        };

        ServerLine.SetPort("COM2");
        ServerLine.SetConnectionMode(cmServer);
        Server.SetAddress(1);
        Server.OnAcceptCommand = [](TModbusServer&, std::uint8_t, bool& accept) { accept = true; };
        Server.OnCanReadHoldingRegister = [this](TModbusServer&, std::uint16_t a, bool& allow) {
            allow = Registers.count(a) != 0;
        };
        Server.OnGetHoldingRegisterValue = [this](TModbusServer&, std::uint16_t a,
                                                  std::uint16_t& v) { v = Registers.at(a); };
        Server.OnCanWriteHoldingRegister = [this](TModbusServer&, std::uint16_t a, std::uint16_t,
                                                  TItemWriteStatus& s) {
            s = Registers.count(a) != 0 ? iwsAllowWrite : iwsIllegalAddress;
        };
        Server.OnSetHoldingRegisterValue = [this](TModbusServer&, std::uint16_t a,
                                                  std::uint16_t v) { Registers[a] = v; };
        Server.SetConnection(&ServerLine);
    }
    void TearDown() override {
        ClientLine.SetActive(false);
        ServerLine.SetActive(false);
    }

    bool WaitForCompletions(std::size_t n, std::chrono::milliseconds timeout = 10s) {
        return PumpUntil([&] { return Completions.size() >= n; }, timeout);
    }

    std::map<std::uint16_t, std::uint16_t> Registers = {{100, 1}, {101, 0xBEEF}, {102, 65535}};
    TModbusConnection ClientLine;
    TModbusConnection ServerLine;
    TModbusClient Client;
    TModbusServer Server;
    std::vector<Completion> Completions;
    int FramesSent = 0;
};

} // namespace

TEST_P(ClientAndServer, ReadsAndWritesCrossTheLineInBothDirections) {
    ServerLine.SetActive(true);
    ClientLine.SetActive(true);
    Client.ReadHoldingRegisters(100, 3, 7);
    Client.WriteSingleRegister(101, 4660, 8);
    Client.ReadHoldingRegisters(101, 1, 9);
    ASSERT_TRUE(WaitForCompletions(3));
    EXPECT_EQ(Completions[0].Info.Status, rsNormalResponse);
    EXPECT_EQ(Completions[0].Info.UserData, 7);
    EXPECT_EQ(Completions[0].Values, (TRegValues{1, 0xBEEF, 65535}));
    EXPECT_EQ(Completions[1].Info.Status, rsNormalResponse);
    EXPECT_EQ(Completions[2].Values, (TRegValues{4660}));
    EXPECT_EQ(Registers.at(101), 4660);
    EXPECT_EQ(Completions[2].Info.Attempts, 1u);
}

TEST_P(ClientAndServer, AnAddressTheServerDoesNotHoldGetsAnExceptionReplyWithoutRetry) {
    ServerLine.SetActive(true);
    ClientLine.SetActive(true);
    Client.ReadHoldingRegisters(5000, 2, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsExceptionResponse);
    EXPECT_EQ(Completions[0].Info.Exception, seIllegalDataAddress);
    EXPECT_EQ(Completions[0].Info.Attempts, 1u);
}

TEST_P(ClientAndServer, WithNoServerEveryAttemptWaitsOutTheReceiveTimeout) {
    ClientLine.SetActive(true);
    const auto start = Clock::now();
    Client.ReadHoldingRegisters(100, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    EXPECT_EQ(Completions[0].Info.Status, rsTimeoutExpired);
    EXPECT_EQ(Completions[0].Info.Attempts, 2u);
    EXPECT_EQ(FramesSent, 2);
    EXPECT_GE(ms.count(), 2 * 500 - 20);
    EXPECT_LT(ms.count(), 5000);
}

TEST_P(ClientAndServer, ARequestForAnotherAddressGetsNoAnswer) {
    ServerLine.SetActive(true);
    ClientLine.SetActive(true);
    Client.SetServerAddress(9);
    Client.ReadHoldingRegisters(100, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsTimeoutExpired);
}

TEST_P(ClientAndServer, AServerWaitingWithoutLimitStopsWhenClosed) {
    ServerLine.SetActive(true);
    PumpFor(200ms);
    const auto start = Clock::now();
    ServerLine.SetActive(false);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(),
              3000);
    // And it opens again on the same port.
    ServerLine.SetActive(true);
    ClientLine.SetActive(true);
    Client.ReadHoldingRegisters(102, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Values, (TRegValues{65535}));
}

TEST_P(ClientAndServer, TheSpeedChangesWhileBothConnectionsAreOpen) {
    ServerLine.SetActive(true);
    ClientLine.SetActive(true);
    ClientLine.SetBaudRate(br9600);
    ServerLine.SetBaudRate(br9600);
    Client.ReadHoldingRegisters(100, 1, 0);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(Completions[0].Info.Status, rsNormalResponse);
}

INSTANTIATE_TEST_SUITE_P(Modes, ClientAndServer, ::testing::Values(tmRTU, tmASCII),
                         [](const auto& mode) { return mode.param == tmRTU ? "RTU" : "ASCII"; });
