// The two Modbus requests the download sends to the instrument.
//
// In the program this is ModbusClient1 (Corvane::TModbusClient): an adapter forwards to its
// WriteSingleRegister and ReadHoldingRegisters. A request only queues the transaction and
// returns its ID; the outcome arrives later, on the main thread, as a completion that the
// host passes to TDownloadEngine::OnSingleRegisterWrite or OnHoldingRegistersRead.
//
// A request may throw (Corvane::ECorvaneError such as "There is no active connection", or any
// std::exception): the engine catches it, writes the message as a failure line and ends the
// download through its failure path.
//
// Every request returns its transaction ID, and its completion carries the same ID: that is how
// the engine knows when the outcome of the request it waits for is in.
//
// LineLost tells whether the port's other end is gone (an unplugged adapter, a peer that
// closed its pseudo-terminal). Requests on such a line fail at once rather than time out, so
// the download asks before each block instead of grinding through its passes.
//
// Threads: main thread only.
#pragma once

#include "FrameTiming.h"

#include <cstdint>

namespace Sondrel {

class TDownloadRequests {
public:
    virtual ~TDownloadRequests() = default;

    // Function 06 to the instrument's address; returns the transaction ID.
    virtual std::int32_t WriteSingleRegister(std::uint16_t reg, std::uint16_t value) = 0;
    // Function 03; returns the transaction ID.
    virtual std::int32_t ReadHoldingRegisters(std::uint16_t start, std::uint16_t count) = 0;
    // True while the line under the requests is gone; a line that cannot tell says false.
    virtual bool LineLost() const { return false; }
    // What one exchange costs on the line under the requests: the line-speed mode's estimate
    // and the longest wait for a request's outcome come from it.
    virtual Corvane::TExchangeTiming ExchangeTiming() const = 0;
};

} // namespace Sondrel
