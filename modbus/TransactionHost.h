// ITransactionHost: what the transaction thread calls back into, implemented by the
// connection that owns the thread. The thread knows its host only through this interface.
//
// Threads: the first group runs on the worker thread, while the host is guaranteed alive
// (it owns the thread and stops it before it goes). The second group runs on the main
// thread; the worker reaches it through the main-thread bridge and a liveness token, so work
// posted for a host that is gone only frees what it carries.
#pragma once

#include "ModbusTransaction.h"
#include "ModbusTypes.h"

#include <cstdint>
#include <memory>

namespace Corvane {

class ITransactionHost {
public:
    virtual ~ITransactionHost() = default;

    // --- Worker thread ----------------------------------------------------------------
    // Around every frame sent.
    virtual void BeforeFrameSend() = 0;
    virtual void AfterFrameSend() = 0;
    // Whether a copy of each sent (or received) frame is wanted on the main thread.
    virtual bool WantsFrame(bool sent) const = 0;
    // Server mode: the wire form of a reply (see TModbusConnection::EncodeReply).
    virtual std::int32_t EncodeReply(const TModbusBuffer& reply, std::uint8_t* raw,
                                     std::int32_t rawSize) = 0;

    // --- Main thread ------------------------------------------------------------------
    // Client mode: a finished transaction, handed on to its client or freed.
    virtual void DeliverTransaction(std::unique_ptr<TModbusTransaction> transaction) = 0;
    // A copy of a frame sent or received.
    virtual void DeliverFrame(const TFrameData& data, bool sent) = 0;
    // Server mode: a decoded request, answered into transaction.Reply (empty: no answer).
    virtual void DispatchToServers(TModbusTransaction& transaction) = 0;
    // Server mode: a read ended without a well-formed frame.
    virtual void DiscardInvalidFrame() = 0;

protected:
    ITransactionHost() = default;
    ITransactionHost(const ITransactionHost&) = default;
    ITransactionHost& operator=(const ITransactionHost&) = default;
};

} // namespace Corvane
