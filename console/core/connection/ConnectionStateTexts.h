// The texts of the status panels that show the connection state: panel 0 the connection,
// panel 1 the address in use.
//
// Pure functions of the components' state; main thread (the components' thread).
#pragma once

#include "ModbusClient.h"
#include "ModbusConnection.h"
#include "ModbusServer.h"

#include <string>

namespace Sondrel {

// "Modbus connection: Opened [%s]" with the port, or "Modbus connection: Closed".
std::string ConnectionPanelText(const Corvane::TModbusConnection& connection);
// "Local server address: %d" in server mode, else "Remote device address: %d".
std::string AddressPanelText(const Corvane::TModbusConnection& connection,
                             const Corvane::TModbusClient& client,
                             const Corvane::TModbusServer& server);

} // namespace Sondrel
