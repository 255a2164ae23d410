// TOfflineLink: an IModbusLink with no line under it, for driving a client or a server on
// buffers alone (unit tests and fuzz harnesses): no pseudo-terminal, no worker, no bridge.
//
// It is active until SetActive(false). Submit() keeps each transaction, in order, in
// Submitted(): a test reads the request a client built from it, fills its reply and status
// as the worker would, and hands it back with Complete(), which calls the client's
// ProcessTransaction exactly as the connection's delivery does. Dispatch() hands a request to
// the registered servers with the library's own dispatch.
//
// One thread. The link does not own its clients and servers; it tells them when it goes.
#pragma once

#include "LinkRegistry.h"
#include "ModbusLink.h"
#include "ModbusTransaction.h"
#include "ModbusTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace TestSupport {

class TOfflineLink : public Corvane::IModbusLink {
public:
    explicit TOfflineLink(Corvane::TTransmissionMode mode = Corvane::tmRTU) : FMode(mode) {}
    ~TOfflineLink() override;
    TOfflineLink(const TOfflineLink&) = delete;
    TOfflineLink& operator=(const TOfflineLink&) = delete;

    void SetActive(bool value) { FActive = value; }

    bool Active() const override { return FActive; }
    bool Loading() const override { return false; }
    bool LineLost() const override { return false; }
    Corvane::TExchangeTiming ExchangeTiming() const override { return {}; }
    std::int32_t QueryBufferSize() const override;
    std::int32_t NextTransactionID() override { return FNextID++; }
    void Submit(std::unique_ptr<Corvane::TModbusTransaction>& transaction,
                Corvane::TModbusClient* client) override;
    void DiscardPendingTransactions(const Corvane::TModbusClient* client) override;
    void RegisterClient(Corvane::TModbusClient* client) override;
    void UnregisterClient(Corvane::TModbusClient* client) override;
    void RegisterServer(Corvane::TModbusServer* server) override;
    void UnregisterServer(Corvane::TModbusServer* server) override;

    // Transactions submitted and not yet taken, in submission order.
    std::vector<std::unique_ptr<Corvane::TModbusTransaction>>& Submitted() { return FSubmitted; }
    // Removes and returns the oldest submitted transaction (null when there is none).
    std::unique_ptr<Corvane::TModbusTransaction> Take();

    // The completion of a finished transaction: its client's ProcessTransaction. Errors
    // propagate, where the connection would report them.
    void Complete(Corvane::TModbusTransaction& transaction);

    // A request message (address, function, data) handed to the registered servers; returns
    // the transaction with the answer in its Reply (empty: nothing would be sent).
    std::unique_ptr<Corvane::TModbusTransaction> Dispatch(const std::vector<std::uint8_t>& request);

private:
    Corvane::TTransmissionMode FMode;
    bool FActive = true;
    std::int32_t FNextID = 0;
    std::vector<std::unique_ptr<Corvane::TModbusTransaction>> FSubmitted;
    Corvane::TLinkRegistry FRegistry;
};

} // namespace TestSupport
