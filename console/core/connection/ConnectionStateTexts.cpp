#include "ConnectionStateTexts.h"

#include "CorvaneError.h"

namespace Sondrel {

using namespace Corvane;

std::string ConnectionPanelText(const TModbusConnection& connection) {
    if (connection.Active()) {
        return FormatText("Modbus connection: Opened [%s]", {connection.Port()});
    }
    return "Modbus connection: Closed";
}

std::string AddressPanelText(const TModbusConnection& connection, const TModbusClient& client,
                             const TModbusServer& server) {
    if (connection.ConnectionMode() == cmServer) {
        return FormatText("Local server address: %d", {std::int64_t{server.Address()}});
    }
    return FormatText("Remote device address: %d", {std::int64_t{client.ServerAddress()}});
}

} // namespace Sondrel
