// The download tests' fixture: sondrel-sim instances on new pseudo-terminals, each started
// as a child process with the log of a SimulatedLog (and any line faults), and sondrel-cli
// run against them as an operator runs it.
//
// The command line always carries "--baud 115200 --delay fast": the pseudo-terminal ignores
// the speed, and at 115200 bit/s the download's base delay is 0, so a block costs 100 + 50 ms
// of fixed waiting instead of 1150 ms at 9600 bit/s. The fixed waits of the preparation steps
// (about seven seconds, ten with a date search) stay: that is what each download costs, so
// tests whose downloads are independent run them side by side (they mostly wait).
#pragma once

#include "ProgramRun.h"
#include "SimulatedLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

namespace E2eTests {

// The log of a simulated instrument: seed 7, the current record stamped 2024-03-07 09:05.
inline SondrelSim::TInstrumentSettings Instrument(int current, int filled = 62001) {
    SondrelSim::TInstrumentSettings s;
    s.Seed = 7;
    s.CurrentRecord = current;
    s.FilledCount = filled;
    s.CurrentTime = *SondrelSim::TRecordTime::FromCalendar(2024, 3, 7, 9, 5);
    return s;
}

// One sondrel-sim child process and the log it holds.
struct SimulatedInstrument {
    // errors: the simulator's standard error (its --verbose lines) is kept for the test.
    SimulatedInstrument(const SondrelSim::TInstrumentSettings& settings,
                        const std::vector<std::string>& extra,
                        TestSupport::ChildProcess::ErrorOutput errors =
                            TestSupport::ChildProcess::ErrorOutput::PassThrough)
        : Log(settings) {
        std::vector<std::string> argv = {SONDREL_SIM_PROGRAM, "--pty"};
        for (const auto& list : {Log.SimulatorArguments(), extra}) {
            argv.insert(argv.end(), list.begin(), list.end());
        }
        Process = std::make_unique<TestSupport::ChildProcess>(argv, errors);
        if (!Process->WaitForLine("/dev/", std::chrono::seconds(10))) {
            throw std::runtime_error("sondrel-sim printed no device path");
        }
        Port = Process->Output().substr(0, Process->Output().find('\n'));
    }

    // The log of a simulator that the test runs itself (or of none yet), served on port.
    SimulatedInstrument(const SondrelSim::TInstrumentSettings& settings, std::string port)
        : Log(settings), Port(std::move(port)) {}

    SimulatedLog Log;
    std::unique_ptr<TestSupport::ChildProcess> Process;
    std::string Port;
};

class DownloadTest : public ::testing::Test {
protected:
    static constexpr std::chrono::seconds kCliTimeout{90};

    SimulatedInstrument& StartSimulator(const SondrelSim::TInstrumentSettings& settings,
                                        const std::vector<std::string>& extra = {},
                                        TestSupport::ChildProcess::ErrorOutput errors =
                                            TestSupport::ChildProcess::ErrorOutput::PassThrough) {
        Instruments.push_back(std::make_unique<SimulatedInstrument>(settings, extra, errors));
        return *Instruments.back();
    }

    // Starts sondrel-cli with the arguments, the port and the fast line settings (the fast
    // delay unless the arguments choose one).
    static std::unique_ptr<TestSupport::ChildProcess> StartCli(const SimulatedInstrument& at,
                                                               std::vector<std::string> args) {
        const bool delayChosen = std::find(args.begin(), args.end(), "--delay") != args.end();
        args.insert(args.begin(), kCliProgram);
        for (const char* option : {"--port", at.Port.c_str(), "--baud", "115200"}) {
            args.push_back(option);
        }
        if (!delayChosen) {
            args.insert(args.end(), {"--delay", "fast"});
        }
        return std::make_unique<TestSupport::ChildProcess>(
            args, TestSupport::ChildProcess::ErrorOutput::Capture);
    }
    static ProgramRun Finish(const std::unique_ptr<TestSupport::ChildProcess>& cli) {
        return ProgramRun::Finish(*cli, kCliTimeout);
    }
    // Runs sondrel-cli to its end.
    static ProgramRun Cli(const SimulatedInstrument& at, std::vector<std::string> args) {
        return Finish(StartCli(at, std::move(args)));
    }

    // The rows of the printed table, its caption line left out.
    static std::vector<std::vector<std::string>> DataRows(const ProgramRun& run) {
        auto rows = TableRows(run.Out);
        if (!rows.empty()) {
            rows.erase(rows.begin());
        }
        return rows;
    }

    // The rows that the list shows for the records, in its order (by caption text).
    static std::vector<std::vector<std::string>>
    ExpectedRows(const SimulatedInstrument& at, const std::vector<int>& records, int firstRecord) {
        std::vector<std::vector<std::string>> rows;
        for (int record : records) {
            rows.push_back(at.Log.Row(record, firstRecord));
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    // Record numbers from first, step apart, count of them, wrapping after 62000.
    static std::vector<int> Records(int first, int count, int step = 1) {
        std::vector<int> records;
        for (int k = 0; k < count; ++k) {
            records.push_back((first + k * step) % SondrelSim::kRecordCount);
        }
        return records;
    }

    std::vector<std::unique_ptr<SimulatedInstrument>> Instruments;
};

} // namespace E2eTests
