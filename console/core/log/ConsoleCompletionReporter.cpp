#include "ConsoleCompletionReporter.h"

#include "ConsoleReports.h"

namespace Sondrel {

using namespace Corvane;

TConsoleCompletionReporter::TConsoleCompletionReporter(TTransactionLog& log, TModbusClient& client)
    : FLog(log), FClient(client) {}

void TConsoleCompletionReporter::Complete(std::string_view name, const TTransactionInfo& info,
                                          const std::vector<std::string>& details) {
    LogCompletion(
        FLog, name, info,
        [this](std::uint8_t code) { return FClient.TranslateExceptionCode(code); }, details);
}

void TConsoleCompletionReporter::Bind() {
    FClient.OnCoilsRead = [this](TModbusClient&, const TTransactionInfo& info, std::uint16_t s,
                                 std::uint16_t c,
                                 const TBitValues& v) { ModbusClient1CoilsRead(info, s, c, v); };
    FClient.OnDiscreteInputsRead = [this](TModbusClient&, const TTransactionInfo& info,
                                          std::uint16_t s, std::uint16_t c, const TBitValues& v) {
        ModbusClient1DiscreteInputsRead(info, s, c, v);
    };
    FClient.OnSingleCoilWrite = [this](TModbusClient&, const TTransactionInfo& info,
                                       std::uint16_t a,
                                       bool v) { ModbusClient1SingleCoilWrite(info, a, v); };
    FClient.OnMultipleCoilsWrite = [this](TModbusClient&, const TTransactionInfo& info,
                                          std::uint16_t s, std::uint16_t c, const TBitValues& v) {
        ModbusClient1MultipleCoilsWrite(info, s, c, v);
    };
    FClient.OnHoldingRegistersRead = [this](TModbusClient&, const TTransactionInfo& info,
                                            std::uint16_t s, std::uint16_t c, const TRegValues& v) {
        ModbusClient1HoldingRegistersRead(info, s, c, v);
    };
    FClient.OnInputRegistersRead = [this](TModbusClient&, const TTransactionInfo& info,
                                          std::uint16_t s, std::uint16_t c, const TRegValues& v) {
        ModbusClient1InputRegistersRead(info, s, c, v);
    };
    FClient.OnSingleRegisterWrite = [this](TModbusClient&, const TTransactionInfo& info,
                                           std::uint16_t, std::uint16_t) {
        ModbusClient1SingleRegisterWrite(info);
    };
    FClient.OnMultipleRegistersWrite = [this](TModbusClient&, const TTransactionInfo& info,
                                              std::uint16_t, std::uint16_t c, const TRegValues&) {
        ModbusClient1MultipleRegistersWrite(info, c);
    };
    FClient.OnSingleRegisterMaskWrite =
        [this](TModbusClient&, const TTransactionInfo& info, std::uint16_t a, std::uint16_t am,
               std::uint16_t om) { ModbusClient1SingleRegisterMaskWrite(info, a, am, om); };
    FClient.OnMultipleRegistersReadWrite =
        [this](TModbusClient&, const TTransactionInfo& info, std::uint16_t rs, std::uint16_t rc,
               const TRegValues& rv, std::uint16_t, std::uint16_t wc, const TRegValues&) {
            ModbusClient1MultipleRegistersReadWrite(info, rs, rc, rv, wc);
        };
    FClient.OnExceptionStatusRead = [this](TModbusClient&, const TTransactionInfo& info,
                                           const TExceptionStatusValues& v) {
        ModbusClient1ExceptionStatusRead(info, v);
    };
    FClient.OnServerIdentificationReport = [this](TModbusClient&, const TTransactionInfo& info,
                                                  std::int32_t c,
                                                  const TServerIdentificationData& d) {
        ModbusClient1ServerIdentificationReport(info, c, d);
    };
    FClient.OnDiagnostics = [this](TModbusClient&, const TTransactionInfo& info,
                                   TDiagnosticAction a,
                                   std::uint16_t r) { ModbusClient1Diagnostics(info, a, r); };
}

void TConsoleCompletionReporter::ModbusClient1CoilsRead(const TTransactionInfo& info,
                                                        std::uint16_t startBit,
                                                        std::uint16_t bitCount,
                                                        const TBitValues& values) {
    Complete(kReadCoilsName, info, BitDetails(ciCoil, startBit, bitCount, values));
}

void TConsoleCompletionReporter::ModbusClient1DiscreteInputsRead(const TTransactionInfo& info,
                                                                 std::uint16_t startBit,
                                                                 std::uint16_t bitCount,
                                                                 const TBitValues& values) {
    Complete(kReadDiscreteInputsName, info,
             BitDetails(ciDiscreteInput, startBit, bitCount, values));
}

void TConsoleCompletionReporter::ModbusClient1SingleCoilWrite(const TTransactionInfo& info,
                                                              std::uint16_t bitAddr,
                                                              bool bitValue) {
    Complete(kWriteSingleCoilName, info, SingleCoilWriteDetails(bitAddr, bitValue));
}

void TConsoleCompletionReporter::ModbusClient1MultipleCoilsWrite(const TTransactionInfo& info,
                                                                 std::uint16_t startBit,
                                                                 std::uint16_t bitCount,
                                                                 const TBitValues& values) {
    Complete(kWriteMultipleCoilsName, info, BitDetails(ciCoil, startBit, bitCount, values));
}

void TConsoleCompletionReporter::RegistersRead(TRegisterReadKind kind, const TTransactionInfo& info,
                                               std::uint16_t startReg, const TRegValues& values) {
    if (OnRegistersRead) {
        OnRegistersRead(kind, info, startReg, values);
    }
}

void TConsoleCompletionReporter::ModbusClient1HoldingRegistersRead(const TTransactionInfo& info,
                                                                   std::uint16_t startReg,
                                                                   std::uint16_t regCount,
                                                                   const TRegValues& values) {
    // The download reads its blocks through this event by the thousand: only a read of the
    // console is reported, and then in full, so that a read that failed says so instead of
    // looking like a request still waiting.
    if (FullHoldingRegisterReports || ConsoleRegisterAccess) {
        Complete(kReadHoldingRegistersName, info,
                 RegisterCountDetails(ciHoldingRegister, regCount));
    }
    RegistersRead(rkHolding, info, startReg, values);
}

void TConsoleCompletionReporter::ModbusClient1InputRegistersRead(const TTransactionInfo& info,
                                                                 std::uint16_t startReg,
                                                                 std::uint16_t regCount,
                                                                 const TRegValues& values) {
    Complete(kReadInputRegistersName, info, RegisterCountDetails(ciInputRegister, regCount));
    RegistersRead(rkInput, info, startReg, values);
}

void TConsoleCompletionReporter::ModbusClient1SingleRegisterWrite(const TTransactionInfo& info) {
    if (ConsoleRegisterAccess) {
        Complete(kWriteSingleRegisterName, info, RegisterCountDetails(ciHoldingRegister, 1));
    }
}

void TConsoleCompletionReporter::ModbusClient1MultipleRegistersWrite(const TTransactionInfo& info,
                                                                     std::uint16_t regCount) {
    Complete(kWriteMultipleRegistersName, info, RegisterCountDetails(ciHoldingRegister, regCount));
}

void TConsoleCompletionReporter::ModbusClient1SingleRegisterMaskWrite(const TTransactionInfo& info,
                                                                      std::uint16_t regAddr,
                                                                      std::uint16_t andMask,
                                                                      std::uint16_t orMask) {
    Complete(kMaskWriteRegisterName, info, MaskWriteDetails(regAddr, andMask, orMask));
}

void TConsoleCompletionReporter::ModbusClient1MultipleRegistersReadWrite(
    const TTransactionInfo& info, std::uint16_t readStart, std::uint16_t readCount,
    const TRegValues& readValues, std::uint16_t writeCount) {
    Complete(kReadWriteMultipleRegistersName, info, ReadWriteDetails(writeCount, readCount));
    RegistersRead(rkHolding, info, readStart, readValues);
}

void TConsoleCompletionReporter::ModbusClient1ExceptionStatusRead(
    const TTransactionInfo& info, const TExceptionStatusValues& values) {
    Complete(kReadExceptionStatusName, info, ExceptionStatusDetails(values));
}

void TConsoleCompletionReporter::ModbusClient1ServerIdentificationReport(
    const TTransactionInfo& info, std::int32_t count, const TServerIdentificationData& data) {
    Complete(kReportServerIDName, info, ServerIdentificationDetails(count, data));
}

void TConsoleCompletionReporter::ModbusClient1Diagnostics(const TTransactionInfo& info,
                                                          TDiagnosticAction action,
                                                          std::uint16_t result) {
    Complete(kDiagnosticsName, info, {DiagnosticsLine(action, result)});
}

} // namespace Sondrel
