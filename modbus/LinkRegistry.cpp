#include "LinkRegistry.h"

#include "ModbusClient.h"
#include "ModbusServer.h"

#include <algorithm>

namespace Corvane {

namespace {

template <typename T>
void AppendUnique(std::vector<T*>& list, T* item) {
    if (item != nullptr && std::find(list.begin(), list.end(), item) == list.end()) {
        list.push_back(item);
    }
}

template <typename T>
void Remove(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

} // namespace

void TLinkRegistry::AddClient(TModbusClient* client) {
    AppendUnique(FClients, client);
}

void TLinkRegistry::AddServer(TModbusServer* server) {
    AppendUnique(FServers, server);
}

void TLinkRegistry::RemoveClient(TModbusClient* client) {
    Remove(FClients, client);
}

void TLinkRegistry::RemoveServer(TModbusServer* server) {
    Remove(FServers, server);
}

bool TLinkRegistry::HasClient(const TModbusClient* client) const {
    return client != nullptr &&
           std::find(FClients.begin(), FClients.end(), client) != FClients.end();
}

void TLinkRegistry::NotifyDestroyed(IModbusLink* link) const {
    // Copies: a client or server may unregister while it is told.
    for (TModbusClient* client : std::vector<TModbusClient*>(FClients)) {
        client->ConnectionDestroyed(link);
    }
    for (TModbusServer* server : std::vector<TModbusServer*>(FServers)) {
        server->ConnectionDestroyed(link);
    }
}

} // namespace Corvane
