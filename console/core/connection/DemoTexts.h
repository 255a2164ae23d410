// The texts that name the simulated instrument of the demo mode: how its pseudo-terminal is
// shown in the port pickers, and the log's first line, which tells a new operator where the
// instrument is and how to begin.
//
// Pure functions; any thread.
#pragma once

#include <string>

namespace Sondrel {

// "Simulated instrument (%s)" with the port.
std::string SimulatedInstrumentLabel(const std::string& port);
// "A simulated instrument is running on %s. Press Connect, then Retrieve Data." with the port.
std::string SimulatedInstrumentGreeting(const std::string& port);

} // namespace Sondrel
