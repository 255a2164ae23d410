// sondrel-sim as a program: the pseudo-terminal path on its first output line, served to our
// client, one log line per request with --verbose, a clean stop on SIGTERM and SIGINT, and
// usage errors.
#include "SimProcess.h"

#include "MainThreadBridge.h"
#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <thread>

#include <sys/wait.h>

using namespace Corvane;
using namespace SimTest;
using namespace std::chrono_literals;

namespace {

// One request from a fresh client on the device; its completion, if any came.
struct OneRequest {
    std::optional<TTransactionInfo> Info;
    TRegValues Values;
};

template <typename Submit>
OneRequest RunOnce(const std::string& device, Submit submit) {
    TMainThreadBridge::Instance().AdoptCurrentThread();
    TModbusConnection connection;
    TModbusClient client;
    connection.SetPort(device);
    connection.SetBaudRate(br9600);
    connection.SetParity(psNone);
    connection.SetReceiveTimeout(1000);
    connection.SetMaxRetries(1);
    client.SetConnection(&connection);
    OneRequest result;
    client.OnHoldingRegistersRead = [&](TModbusClient&, const TTransactionInfo& info, std::uint16_t,
                                        std::uint16_t, const TRegValues& values) {
        result.Info = info;
        result.Values = values;
    };
    client.OnSingleRegisterWrite = [&](TModbusClient&, const TTransactionInfo& info, std::uint16_t,
                                       std::uint16_t) { result.Info = info; };
    connection.SetActive(true);
    submit(client);
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!result.Info && std::chrono::steady_clock::now() < end) {
        TMainThreadBridge::Instance().WaitAndDrain(5ms);
    }
    connection.SetActive(false);
    return result;
}

// One register read; nothing on any failure.
std::optional<std::uint16_t> ReadRegister(const std::string& device, std::uint16_t reg) {
    const OneRequest r =
        RunOnce(device, [reg](TModbusClient& client) { client.ReadHoldingRegisters(reg, 1, 0); });
    if (!r.Info || r.Info->Status != rsNormalResponse || r.Values.size() != 1) {
        return std::nullopt;
    }
    return r.Values[0];
}

bool WriteRegister(const std::string& device, std::uint16_t reg, std::uint16_t value) {
    const OneRequest r =
        RunOnce(device, [=](TModbusClient& client) { client.WriteSingleRegister(reg, value, 0); });
    return r.Info && r.Info->Status == rsNormalResponse;
}

bool ExitedWith(const std::optional<int>& status, int code) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

} // namespace

TEST(Program, PrintsAPathOurClientCanUseAndStopsCleanlyOnSigterm) {
    SimProcess sim(SONDREL_SIM_PROGRAM, {"--pty", "--current", "4321", "--verbose"});
    const std::optional<std::string> path = sim.ReadLine(5s);
    ASSERT_TRUE(path.has_value()) << sim.ReadErrors(100ms);
    EXPECT_EQ(path->rfind("/dev/", 0), 0u) << *path;
    EXPECT_EQ(ReadRegister(*path, 3), 4321);
    EXPECT_EQ(ReadRegister(*path, 2), 0) << "a second client on the same path";
    sim.Signal(SIGTERM);
    EXPECT_TRUE(ExitedWith(sim.WaitExit(5s), 0));
    const std::string errors = sim.ReadErrors(1s);
    EXPECT_NE(errors.find("address 1: read 3 x1 -> normal reply"), std::string::npos) << errors;
    EXPECT_NE(errors.find("address 1: read 2 x1 -> normal reply"), std::string::npos) << errors;
}

TEST(Program, StopsOnSigintAndLogsNothingWithoutVerbose) {
    SimProcess sim(SONDREL_SIM_PROGRAM, {"--pty", "--address", "7"});
    const std::optional<std::string> path = sim.ReadLine(5s);
    ASSERT_TRUE(path.has_value());
    EXPECT_FALSE(ReadRegister(*path, 3).has_value()) << "address 1 is not the instrument's";
    sim.Signal(SIGINT);
    EXPECT_TRUE(ExitedWith(sim.WaitExit(5s), 0));
    EXPECT_EQ(sim.ReadErrors(1s), "");
}

TEST(Program, LogGrowsEverySamplePeriodWhileAcquisitionRunsOnly) {
    SimProcess sim(SONDREL_SIM_PROGRAM, {"--pty", "--current", "62000", "--sample-period", "1"});
    const std::optional<std::string> path = sim.ReadLine(5s);
    ASSERT_TRUE(path.has_value());
    ASSERT_EQ(ReadRegister(*path, 3), 62000);
    std::this_thread::sleep_for(1500ms);
    const std::optional<std::uint16_t> grown = ReadRegister(*path, 3);
    ASSERT_TRUE(grown.has_value());
    EXPECT_LT(*grown, 10) << "the current record wrapped from 62000 to 0 and on";

    ASSERT_TRUE(WriteRegister(*path, 246, 10)) << "stop acquisition";
    const std::optional<std::uint16_t> stopped = ReadRegister(*path, 3);
    ASSERT_TRUE(stopped.has_value());
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(ReadRegister(*path, 3), stopped) << "no new record while stopped";
}

TEST(Program, UsageErrorsExitWithStatusTwo) {
    SimProcess noLine(SONDREL_SIM_PROGRAM, {});
    EXPECT_TRUE(ExitedWith(noLine.WaitExit(5s), 2));
    EXPECT_NE(noLine.ReadErrors(1s).find("--pty or --port"), std::string::npos);
    SimProcess badPort(SONDREL_SIM_PROGRAM, {"--port", "/dev/does-not-exist-42"});
    EXPECT_TRUE(ExitedWith(badPort.WaitExit(5s), 1));
    EXPECT_NE(badPort.ReadErrors(1s).find("Could not open serial port"), std::string::npos);
}
