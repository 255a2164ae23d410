#include "ConnectionLogBinding.h"

#include "CorvaneError.h"

namespace Sondrel {

using namespace Corvane;

TConnectionLogBinding::TConnectionLogBinding(TTransactionLog& log,
                                             std::function<bool()> isDestroying)
    : FLog(&log), FIsDestroying(std::move(isDestroying)) {}

void TConnectionLogBinding::ModbusConnection1BeforeOpen(const TModbusConnection& connection) const {
    FLog->AddLogLine(FormatText("Opening Modbus connection on %s...", {connection.Port()}));
}

void TConnectionLogBinding::ModbusConnection1AfterOpen() const {
    FLog->AddLogLine("Modbus connection has been successfully opened.\r\n");
}

void TConnectionLogBinding::ModbusConnection1BeforeClose() const {
    if (!Destroying()) {
        FLog->AddLogLine("Closing Modbus connection...");
    }
}

void TConnectionLogBinding::ModbusConnection1AfterClose() const {
    if (!Destroying()) {
        FLog->AddLogLine("Modbus Connection has been closed.\r\n");
    }
}

void BindConnectionLog(TModbusConnection& connection, TTransactionLog& log,
                       std::function<bool()> isDestroying) {
    const TConnectionLogBinding binding(log, std::move(isDestroying));
    connection.OnBeforeOpen = [binding](TModbusConnection& c) {
        binding.ModbusConnection1BeforeOpen(c);
    };
    connection.OnAfterOpen = [binding](TModbusConnection&) {
        binding.ModbusConnection1AfterOpen();
    };
    connection.OnBeforeClose = [binding](TModbusConnection&) {
        binding.ModbusConnection1BeforeClose();
    };
    connection.OnAfterClose = [binding](TModbusConnection&) {
        binding.ModbusConnection1AfterClose();
    };
}

} // namespace Sondrel
