// TConsoleCompletionReporter: writes the console's report of every completed client
// transaction to the transaction log (DONE, the outcome, the detail lines of a normal
// response, an empty line), by binding the client's completion events.
//
// Holding-register reads and single-register writes are shared with the log download: they
// are reported only while ConsoleRegisterAccess is set (a console register operation ran
// since the last download started), and then as every other operation is, failures included:
// a console read that got an exception reply says so. The download subscribes to the same
// completions of the client itself, beside this reporter (after it: the reporter's lines come
// first).
//
// The log lists no register's value. OnRegistersRead hands the values of every register read
// (holding, input, and the read half of a read/write-multiple) to whoever shows them, with the
// transaction's info so that it can pick its own reads and see their outcome.
//
// Main thread only. Does not own the log or the client; both must outlive it.
#pragma once

#include "ModbusClient.h"
#include "RegisterReadResults.h"
#include "TransactionLog.h"

#include <functional>
#include <string_view>
#include <vector>

namespace Sondrel {

class TConsoleCompletionReporter {
public:
    TConsoleCompletionReporter(TTransactionLog& log, Corvane::TModbusClient& client);

    // Binds every completion event of the client to this reporter.
    void Bind();

    // Set by every console register operation, cleared when a download starts.
    bool ConsoleRegisterAccess = false;
    // The command-line tool reports every holding-register read like every other operation
    // (DONE, outcome, count line), whatever ConsoleRegisterAccess holds.
    bool FullHoldingRegisterReports = false;

    // Every register read's completion, whatever its outcome (the values are those of a normal
    // response, empty otherwise). Optional; cleared by whoever set it before it goes.
    using TRegistersRead =
        std::function<void(TRegisterReadKind kind, const Corvane::TTransactionInfo& info,
                           std::uint16_t startReg, const Corvane::TRegValues& values)>;
    TRegistersRead OnRegistersRead;

    // The handlers, named after the client's events.
    void ModbusClient1CoilsRead(const Corvane::TTransactionInfo& info, std::uint16_t startBit,
                                std::uint16_t bitCount, const Corvane::TBitValues& values);
    void ModbusClient1DiscreteInputsRead(const Corvane::TTransactionInfo& info,
                                         std::uint16_t startBit, std::uint16_t bitCount,
                                         const Corvane::TBitValues& values);
    void ModbusClient1SingleCoilWrite(const Corvane::TTransactionInfo& info, std::uint16_t bitAddr,
                                      bool bitValue);
    void ModbusClient1MultipleCoilsWrite(const Corvane::TTransactionInfo& info,
                                         std::uint16_t startBit, std::uint16_t bitCount,
                                         const Corvane::TBitValues& values);
    void ModbusClient1HoldingRegistersRead(const Corvane::TTransactionInfo& info,
                                           std::uint16_t startReg, std::uint16_t regCount,
                                           const Corvane::TRegValues& values);
    void ModbusClient1InputRegistersRead(const Corvane::TTransactionInfo& info,
                                         std::uint16_t startReg, std::uint16_t regCount,
                                         const Corvane::TRegValues& values);
    void ModbusClient1SingleRegisterWrite(const Corvane::TTransactionInfo& info);
    void ModbusClient1MultipleRegistersWrite(const Corvane::TTransactionInfo& info,
                                             std::uint16_t regCount);
    void ModbusClient1SingleRegisterMaskWrite(const Corvane::TTransactionInfo& info,
                                              std::uint16_t regAddr, std::uint16_t andMask,
                                              std::uint16_t orMask);
    void ModbusClient1MultipleRegistersReadWrite(const Corvane::TTransactionInfo& info,
                                                 std::uint16_t readStart, std::uint16_t readCount,
                                                 const Corvane::TRegValues& readValues,
                                                 std::uint16_t writeCount);
    void ModbusClient1ExceptionStatusRead(const Corvane::TTransactionInfo& info,
                                          const Corvane::TExceptionStatusValues& values);
    void ModbusClient1ServerIdentificationReport(const Corvane::TTransactionInfo& info,
                                                 std::int32_t count,
                                                 const Corvane::TServerIdentificationData& data);
    void ModbusClient1Diagnostics(const Corvane::TTransactionInfo& info,
                                  Corvane::TDiagnosticAction action, std::uint16_t result);

private:
    void Complete(std::string_view name, const Corvane::TTransactionInfo& info,
                  const std::vector<std::string>& details);
    void RegistersRead(TRegisterReadKind kind, const Corvane::TTransactionInfo& info,
                       std::uint16_t startReg, const Corvane::TRegValues& values);

    TTransactionLog& FLog;
    Corvane::TModbusClient& FClient;
};

} // namespace Sondrel
