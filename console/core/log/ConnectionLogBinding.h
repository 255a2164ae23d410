// Writes the console's connection lines to the transaction log by binding the connection's
// open and close events: "Opening Modbus connection on %s...", the success line, "Closing
// Modbus connection..." and "Modbus Connection has been closed." (the last two not while the
// owner is being destroyed).
//
// TConnectionLogBinding holds the handlers, named after the console's connection and its
// events; BindConnectionLog binds a copy of one to the connection's events. The frame events
// have handlers too, which write nothing, and stay unbound: a bound frame handler makes the
// worker thread copy every frame and post it to the main thread, for no line.
//
// Main thread only. Neither the connection nor the log is owned; the log must outlive the
// connection's events.
#pragma once

#include "ModbusConnection.h"
#include "TransactionLog.h"

#include <functional>

namespace Sondrel {

class TConnectionLogBinding {
public:
    // isDestroying tells whether the owner (the window) is being destroyed.
    TConnectionLogBinding(TTransactionLog& log, std::function<bool()> isDestroying = {});

    void ModbusConnection1BeforeOpen(const Corvane::TModbusConnection& connection) const;
    void ModbusConnection1AfterOpen() const;
    void ModbusConnection1BeforeClose() const;
    void ModbusConnection1AfterClose() const;
    // Raw frames are not written to the log.
    void ModbusConnection1FrameSend(const Corvane::TFrameData&) const {}
    void ModbusConnection1FrameReceive(const Corvane::TFrameData&) const {}

private:
    bool Destroying() const { return FIsDestroying && FIsDestroying(); }

    TTransactionLog* FLog;
    std::function<bool()> FIsDestroying;
};

// Binds the open and close events of the connection to a TConnectionLogBinding.
void BindConnectionLog(Corvane::TModbusConnection& connection, TTransactionLog& log,
                       std::function<bool()> isDestroying = {});

} // namespace Sondrel
