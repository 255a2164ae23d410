// Writes the console's connection lines to the transaction log by binding the connection's
// open and close events: "Opening Modbus connection on %s...", the success line, "Closing
// Modbus connection..." and "Modbus Connection has been closed." (the last two not while the
// owner is being destroyed).
//
// Main thread only. Neither the connection nor the log is owned.
#pragma once

#include "ModbusConnection.h"
#include "TransactionLog.h"

#include <functional>

namespace Sondrel {

// isDestroying tells whether the owner (the window) is being destroyed.
void BindConnectionLog(Corvane::TModbusConnection& connection, TTransactionLog& log,
                       std::function<bool()> isDestroying = {});

} // namespace Sondrel
