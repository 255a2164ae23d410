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

#include <sys/wait.h>

using namespace Corvane;
using namespace SimTest;
using namespace std::chrono_literals;

namespace {

// Reads one register from the device with our own client; nothing on any failure.
std::optional<std::uint16_t> ReadRegister(const std::string& device, std::uint16_t reg) {
    TMainThreadBridge::Instance().AdoptCurrentThread();
    TModbusConnection connection;
    TModbusClient client;
    connection.SetPort(device);
    connection.SetBaudRate(br9600);
    connection.SetParity(psNone);
    connection.SetReceiveTimeout(1000);
    connection.SetMaxRetries(1);
    client.SetConnection(&connection);
    std::optional<std::uint16_t> value;
    bool done = false;
    client.OnHoldingRegistersRead = [&](TModbusClient&, const TTransactionInfo& info, std::uint16_t,
                                        std::uint16_t, const TRegValues& values) {
        if (info.Status == rsNormalResponse && values.size() == 1) {
            value = values[0];
        }
        done = true;
    };
    connection.SetActive(true);
    client.ReadHoldingRegisters(reg, 1, 0);
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!done && std::chrono::steady_clock::now() < end) {
        TMainThreadBridge::Instance().WaitAndDrain(5ms);
    }
    connection.SetActive(false);
    return value;
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

TEST(Program, UsageErrorsExitWithStatusTwo) {
    SimProcess noLine(SONDREL_SIM_PROGRAM, {});
    EXPECT_TRUE(ExitedWith(noLine.WaitExit(5s), 2));
    EXPECT_NE(noLine.ReadErrors(1s).find("--pty or --port"), std::string::npos);
    SimProcess badPort(SONDREL_SIM_PROGRAM, {"--port", "/dev/does-not-exist-42"});
    EXPECT_TRUE(ExitedWith(badPort.WaitExit(5s), 1));
    EXPECT_NE(badPort.ReadErrors(1s).find("Could not open serial port"), std::string::npos);
}
