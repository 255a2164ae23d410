// TSimulatorConnection: the server-mode connection of the simulated instrument. It wraps the
// library's dispatch of each request to inject the line faults of a TFaultInjector (a
// dropped request, a corrupted reply, a delayed reply) and to report one line per request.
// With wire time on, every reply waits until the request and the reply would have crossed a
// real line at the connection's speed (WireTime.h), counted from the request's dispatch.
//
// Faults apply only to requests that a registered server answers (its address, not a
// broadcast). A dropped request never reaches the servers, so the instrument does not act on
// it. The delay holds the main thread (where dispatch runs) before the reply goes out; the
// simulator has nothing else to do meanwhile.
//
// Main thread, like every connection; owns its fault counters. The check of a reply exists
// only on the wire, so a corrupted reply is damaged where the worker encodes it (EncodeReply,
// worker thread) after the dispatch has chosen it.
#pragma once

#include "FaultInjector.h"

#include "ModbusConnection.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace SondrelSim {

class TSimulatorConnection : public Corvane::TModbusConnection {
public:
    using TRequestLogEvent = std::function<void(const std::string& line)>;

    TSimulatorConnection(const TFaultSettings& faults, bool wireTime)
        : FFaults(faults), FWireTime(wireTime) {}

    // One line per request received: what was asked and what happened to the reply.
    TRequestLogEvent OnRequestLog;
    // The data of the Report Server ID reply (function 17) of the server at an address, which
    // the library's server does not serve; without it the request is refused as the server
    // refuses any other function.
    std::function<std::vector<std::uint8_t>(std::uint8_t address)> ServerIdReply;

    void DispatchToServers(Corvane::TModbusTransaction& transaction) override;

protected:
    // Damages the check of the reply that DispatchToServers chose to corrupt.
    std::int32_t EncodeReply(const Corvane::TModbusBuffer& reply, std::uint8_t* raw,
                             std::int32_t rawSize) override;

private:
    bool HasServerFor(std::uint8_t address) const;
    void Log(const std::string& line) const;

    // How long the exchange takes on a real line at the connection's speed.
    std::chrono::microseconds LineTime(const Corvane::TModbusTransaction& transaction) const;

    TFaultInjector FFaults;
    const bool FWireTime;
    // Set by the dispatch (main thread) for the reply that the worker encodes next; the
    // worker waits for the dispatch to return before it encodes.
    std::atomic<bool> FCorruptReply{false};
};

} // namespace SondrelSim
