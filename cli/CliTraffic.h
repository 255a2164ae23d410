// The traffic of a sondrel-cli console command: the connection's frame tap drained on the
// main loop, each frame printed as the window's Traffic view shows it (--trace) and counted
// in the line statistics that a polling run ends with.
#pragma once

#include "LineStatistics.h"
#include "TrafficRow.h"

#include "ModbusConnection.h"

namespace SondrelCli {

class TCliTraffic {
public:
    TCliTraffic(Corvane::TModbusConnection& connection, bool trace);

    // Takes what the worker captured since the last call; prints it when tracing.
    void Drain();
    const Sondrel::TLineStatistics& Statistics() const { return FStatistics; }
    // The statistics on standard output, after a "Statistics:" line.
    void PrintStatistics() const;

private:
    Corvane::TModbusConnection& FConnection;
    const bool FTrace;
    Sondrel::TTrafficAnnotator FAnnotator;
    Sondrel::TLineStatistics FStatistics;
};

} // namespace SondrelCli
