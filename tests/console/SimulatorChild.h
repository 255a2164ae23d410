// sondrel-sim for the window tests that download: a child process on a new pseudo-terminal
// serving a simulated log, and that log's usual settings.
#pragma once

#include "ChildProcess.h"
#include "SimulatedLog.h"

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace ConsoleTest {

// Seed 7, the current record 10 stamped 2024-03-07 09:05, every record filled.
inline SondrelSim::TInstrumentSettings TenRecordInstrument() {
    SondrelSim::TInstrumentSettings s;
    s.Seed = 7;
    s.CurrentRecord = 10;
    s.FilledCount = 62001;
    s.CurrentTime = *SondrelSim::TRecordTime::FromCalendar(2024, 3, 7, 9, 5);
    return s;
}

// The simulator of `log`, running until the object goes; Port is its pseudo-terminal.
class TSimulatorChild {
public:
    explicit TSimulatorChild(const E2eTests::SimulatedLog& log) : Process(Command(log)) {
        if (!Process.WaitForLine("/dev/", std::chrono::seconds(10))) {
            throw std::runtime_error("sondrel-sim printed no device path");
        }
        Port = Process.Output().substr(0, Process.Output().find('\n'));
    }

    TestSupport::ChildProcess Process;
    std::string Port;

private:
    static std::vector<std::string> Command(const E2eTests::SimulatedLog& log) {
        std::vector<std::string> argv = {SONDREL_SIM_PROGRAM, "--pty"};
        const auto args = log.SimulatorArguments();
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }
};

} // namespace ConsoleTest
