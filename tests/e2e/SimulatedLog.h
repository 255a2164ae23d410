// SimulatedLog: the log that sondrel-sim holds when started with the same seed, current
// record, filled count and time, taken from the simulator's own model, and the row that the
// download's record list shows for each of its records, written out independently of the
// list's code from the display rules: the caption and the index five digits wide, the date
// MM/DD/YYYY and the time HH:MM, counts as high x 65535 + low, parts per billion with two
// decimals and their total, flow rate and conditions as stored.
//
// A plain value; any thread.
#pragma once

#include "InstrumentLog.h"
#include "InstrumentModel.h"

#include <string>
#include <vector>

namespace E2eTests {

class SimulatedLog {
public:
    explicit SimulatedLog(const SondrelSim::TInstrumentSettings& settings);

    const SondrelSim::TInstrumentSettings& Settings() const { return FSettings; }
    const SondrelSim::TInstrumentLog& Log() const { return FLog; }

    // The sondrel-sim options that give this log (sampling off, so that it stays still).
    std::vector<std::string> SimulatorArguments() const;

    // The 27 cells of the list row of a record read in a download whose window starts at
    // firstRecord. An empty record shows under its own number with its Index and every other
    // cell empty (its registers are erased memory, 65535, not data).
    std::vector<std::string> Row(int record, int firstRecord) const;

private:
    SondrelSim::TInstrumentSettings FSettings;
    SondrelSim::TInstrumentLog FLog;
};

} // namespace E2eTests
