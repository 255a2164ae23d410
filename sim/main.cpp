// sondrel-sim: the particle counter's Modbus server with a simulated log, on a serial device
// or a new pseudo-terminal.
#include "BrokenPipes.h"
#include "Simulator.h"
#include "SimulatorOptions.h"

#include "CommandLine.h"
#include "LineOptions.h"
#include "ProgramVersion.h"

#include "CorvaneError.h"
#include "MainThreadBridge.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::atomic<bool> gStopRequested{false};

extern "C" void RequestStop(int) {
    gStopRequested = true;
}

} // namespace

int main(int argc, char** argv) {
    using namespace SondrelSim;
    const std::vector<std::string> args(argv + 1, argv + argc);
    TSimulatorOptions options;
    try {
        options = ParseSimulatorOptions(args);
    } catch (const SondrelOptions::EUsageError& e) {
        std::cerr << "sondrel-sim: " << e.what() << "\n";
        return 2;
    }
    if (options.Help) {
        std::cout << SimulatorHelp();
        return 0;
    }
    if (options.Version) {
        std::cout << Sondrel::VersionText("sondrel-sim");
        return 0;
    }

    Corvane::TMainThreadBridge::Instance().AdoptCurrentThread();
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    IgnoreBrokenPipes();
    try {
        TSimulator simulator(options, &std::cerr);
        simulator.Start();
        // The first line of standard output is the device path, for scripts and tests.
        std::cout << simulator.DevicePath() << std::endl;
        simulator.ServeUntil(gStopRequested);
    } catch (const Corvane::ECorvaneError& e) {
        std::cerr << "sondrel-sim: " << SondrelOptions::LineFailureText(e) << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "sondrel-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
