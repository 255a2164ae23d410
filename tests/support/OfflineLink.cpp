#include "OfflineLink.h"

#include "Framing.h"
#include "ModbusClient.h"
#include "ModbusServer.h"

namespace TestSupport {

using namespace Corvane;

TOfflineLink::~TOfflineLink() {
    FRegistry.NotifyDestroyed(this);
}

std::int32_t TOfflineLink::QueryBufferSize() const {
    return Corvane::QueryBufferSize(FMode);
}

void TOfflineLink::Submit(std::unique_ptr<TModbusTransaction>& transaction, TModbusClient* client) {
    transaction->Client = client;
    transaction->ClientSerial = client != nullptr ? client->Serial() : 0;
    FSubmitted.push_back(std::move(transaction));
}

void TOfflineLink::DiscardPendingTransactions(const TModbusClient* client) {
    std::erase_if(FSubmitted,
                  [&](const auto& t) { return client == nullptr || t->Client == client; });
}

void TOfflineLink::RegisterClient(TModbusClient* client) {
    FRegistry.AddClient(client);
}

void TOfflineLink::UnregisterClient(TModbusClient* client) {
    FRegistry.RemoveClient(client);
}

void TOfflineLink::RegisterServer(TModbusServer* server) {
    FRegistry.AddServer(server);
}

void TOfflineLink::UnregisterServer(TModbusServer* server) {
    FRegistry.RemoveServer(server);
}

std::unique_ptr<TModbusTransaction> TOfflineLink::Take() {
    if (FSubmitted.empty()) {
        return nullptr;
    }
    auto transaction = std::move(FSubmitted.front());
    FSubmitted.erase(FSubmitted.begin());
    return transaction;
}

void TOfflineLink::Complete(TModbusTransaction& transaction) {
    transaction.Client->ProcessTransaction(transaction);
}

std::unique_ptr<TModbusTransaction>
TOfflineLink::Dispatch(const std::vector<std::uint8_t>& request) {
    auto transaction = std::make_unique<TModbusTransaction>(QueryBufferSize());
    for (std::uint8_t b : request) {
        transaction->Query.WriteByte(b);
    }
    transaction->Info.ServerAddress = request.empty() ? 0 : request[0];
    DispatchRequest(FRegistry.Servers(), *transaction);
    return transaction;
}

} // namespace TestSupport
