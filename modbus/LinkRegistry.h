// TLinkRegistry: the clients and servers attached to one link (a connection), as two ordered
// lists without duplicates that do not own what they list. Every IModbusLink keeps one and
// forwards its Register/Unregister calls to it.
//
// Main thread, like the link that holds it.
#pragma once

#include <vector>

namespace Corvane {

class IModbusLink;
class TModbusClient;
class TModbusServer;

class TLinkRegistry {
public:
    // Appends when not null and not yet listed.
    void AddClient(TModbusClient* client);
    void AddServer(TModbusServer* server);
    void RemoveClient(TModbusClient* client);
    void RemoveServer(TModbusServer* server);

    bool HasClient(const TModbusClient* client) const;
    // In registration order.
    const std::vector<TModbusServer*>& Servers() const { return FServers; }

    // The free notification of a link that goes away: every client and server listed forgets
    // it (ConnectionDestroyed), in registration order.
    void NotifyDestroyed(IModbusLink* link) const;

private:
    std::vector<TModbusClient*> FClients;
    std::vector<TModbusServer*> FServers;
};

} // namespace Corvane
