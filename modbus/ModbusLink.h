// IModbusLink: what a client or a server needs of the connection it is attached to, and
// nothing more: whether it is open, the numbering and queueing of requests, the registration
// that lets the connection deliver completions and requests, and (for what drives a client)
// what one exchange costs on the line.
//
// TModbusConnection is the implementation on a serial line. The client and the server know
// only this interface, so that they (and their request building, reply decoding and request
// processing) can be driven without any line, as the tests and fuzz harnesses do.
//
// Main thread only. A link does not own what registers with it; a client or server that is
// attached to a link is told through ConnectionDestroyed() when the link goes away.
#pragma once

#include "FrameTiming.h"
#include "ModbusTransaction.h"

#include <cstdint>
#include <memory>

namespace Corvane {

class TModbusClient;
class TModbusServer;

class IModbusLink {
public:
    virtual ~IModbusLink() = default;

    // True while the link is open (requests can be queued, requests are served).
    virtual bool Active() const = 0;
    // True while the link's settings are being loaded; it is not usable then.
    virtual bool Loading() const = 0;
    // True once the open line reported that its other end went away.
    virtual bool LineLost() const = 0;
    // What one exchange costs on the link's line (zeros where the link has no line).
    virtual TExchangeTiming ExchangeTiming() const = 0;

    // Capacity of the buffers of a new transaction on this link.
    virtual std::int32_t QueryBufferSize() const = 0;
    // The ID of the next request: 0, 1, 2, ... per link.
    virtual std::int32_t NextTransactionID() = 0;
    // Takes the transaction for sending; on an exception the caller keeps ownership.
    virtual void Submit(std::unique_ptr<TModbusTransaction>& transaction,
                        TModbusClient* client) = 0;
    // Frees the queued transactions of the client (all for nullptr) without events.
    virtual void DiscardPendingTransactions(const TModbusClient* client) = 0;

    virtual void RegisterClient(TModbusClient* client) = 0;
    virtual void UnregisterClient(TModbusClient* client) = 0;
    virtual void RegisterServer(TModbusServer* server) = 0;
    virtual void UnregisterServer(TModbusServer* server) = 0;

protected:
    IModbusLink() = default;
    IModbusLink(const IModbusLink&) = default;
    IModbusLink& operator=(const IModbusLink&) = default;
};

} // namespace Corvane
