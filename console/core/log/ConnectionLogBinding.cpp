#include "ConnectionLogBinding.h"

#include "CorvaneError.h"

namespace Sondrel {

using namespace Corvane;

void BindConnectionLog(TModbusConnection& connection, TTransactionLog& log,
                       std::function<bool()> isDestroying) {
    connection.OnBeforeOpen = [&log](TModbusConnection& c) {
        log.AddLogLine(FormatText("Opening Modbus connection on %s...", {c.Port()}));
    };
    connection.OnAfterOpen = [&log](TModbusConnection&) {
        log.AddLogLine("Modbus connection has been successfully opened.\r\n");
    };
    connection.OnBeforeClose = [&log, isDestroying](TModbusConnection&) {
        if (!isDestroying || !isDestroying()) {
            log.AddLogLine("Closing Modbus connection...");
        }
    };
    connection.OnAfterClose = [&log, isDestroying](TModbusConnection&) {
        if (!isDestroying || !isDestroying()) {
            log.AddLogLine("Modbus Connection has been closed.\r\n");
        }
    };
}

} // namespace Sondrel
