// The window tests that talk to sondrel-sim: the simulator started as a child process on a new
// pseudo-terminal with the log of SimulatedLog's settings, and the window pointed at it as the
// demo mode does (115200 bit/s, the fast delay) and connected.
#pragma once

#include "WindowFixture.h"

#include "ChildProcess.h"
#include "SimulatedLog.h"

#include "DemoInstrument.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace ConsoleTest {

class SimulatorWindowFixture : public WindowFixture {
protected:
    void TearDown() override {
        if (Windows && Window().ModbusConnection1.Active()) {
            Window().Disconnect1Click();
        }
        WindowFixture::TearDown();
        Simulator.reset();
    }

    // Starts the simulator with the log and any further options; the path of its port.
    std::string StartSimulator(const E2eTests::SimulatedLog& log,
                               const std::vector<std::string>& options = {}) {
        std::vector<std::string> argv = {SONDREL_SIM_PROGRAM, "--pty"};
        const auto simArgs = log.SimulatorArguments();
        argv.insert(argv.end(), simArgs.begin(), simArgs.end());
        argv.insert(argv.end(), options.begin(), options.end());
        Simulator = std::make_unique<TestSupport::ChildProcess>(argv);
        if (!Simulator->WaitForLine("/dev/", std::chrono::seconds(10))) {
            return {};
        }
        return Simulator->Output().substr(0, Simulator->Output().find('\n'));
    }

    // Starts and shows the window (its first showing closes the connection), points it at the
    // simulator's port and connects; false when the connection did not open.
    bool StartConnected(const std::string& port) {
        Start().show();
        Sondrel::UseDemoInstrument(Window(), QString::fromStdString(port));
        Window().Connect1Click();
        return Window().ModbusConnection1.Active();
    }

    std::unique_ptr<TestSupport::ChildProcess> Simulator;
};

} // namespace ConsoleTest
