// TSimulatorConnection: the server-mode connection of the simulated instrument. It wraps the
// library's dispatch of each request to inject the line faults of a TFaultInjector (a
// dropped request, a corrupted reply, a delayed reply) and to report one line per request.
//
// Faults apply only to requests that a registered server answers (its address, not a
// broadcast). A dropped request never reaches the servers, so the instrument does not act on
// it. The delay holds the main thread (where dispatch runs) before the reply goes out; the
// simulator has nothing else to do meanwhile.
//
// Main thread, like every connection; owns its fault counters.
#pragma once

#include "FaultInjector.h"

#include "ModbusConnection.h"

#include <functional>
#include <string>

namespace SondrelSim {

class TSimulatorConnection : public Corvane::TModbusConnection {
public:
    using TRequestLogEvent = std::function<void(const std::string& line)>;

    explicit TSimulatorConnection(const TFaultSettings& faults) : FFaults(faults) {}

    // One line per request received: what was asked and what happened to the reply.
    TRequestLogEvent OnRequestLog;

    void DispatchToServers(Corvane::TModbusTransaction& transaction) override;

private:
    bool HasServerFor(std::uint8_t address) const;
    void Log(const std::string& line) const;

    TFaultInjector FFaults;
};

} // namespace SondrelSim
