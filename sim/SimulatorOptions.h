// The command line of sondrel-sim and its help text. The serial line options are the ones
// of sondrel-cli (same names, values and defaults).
#pragma once

#include "FaultInjector.h"
#include "InstrumentModel.h"

#include "LineOptions.h"

#include <cstdint>
#include <string>
#include <vector>

namespace SondrelSim {

struct TSimulatorOptions {
    // The serial line; Line.Port is empty when UsePty is set.
    SondrelOptions::TLineOptions Line;
    bool UsePty = false;
    // The instruments' server addresses on the line, each an instrument of its own (its own log,
    // grown alike, and seed: Instrument.Seed plus its place in the list).
    std::vector<std::uint8_t> Addresses = {1};
    TInstrumentSettings Instrument;
    TFaultSettings Faults;
    // Replies wait as long as the exchange would take on a real line (WireTime.h).
    bool WireTime = false;
    // Milliseconds of real time between two samples while acquisition runs; 0: never.
    std::uint32_t SamplePeriodMs = 60000;
    // Answers Report Server ID (function 17); without it the request is refused (01), as an
    // instrument that does not know it refuses it.
    bool AnswersServerId = true;
    bool Verbose = false;
    bool Help = false;
    bool Version = false;
};

const char* SimulatorHelp();

// Reads the arguments (without the program name). A bad or missing value raises
// SondrelOptions::EUsageError. Without --time the current record is stamped with the local time
// now; with --help or --version nothing else is checked.
TSimulatorOptions ParseSimulatorOptions(const std::vector<std::string>& args);

} // namespace SondrelSim
