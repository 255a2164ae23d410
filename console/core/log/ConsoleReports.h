// The texts that the console writes about its Modbus transactions, shared by the window and
// the command-line tool: INIT/DONE lines, outcomes, exception texts, the broadcast notice, the
// count line and the detail lines of every completion.
//
// The "...Details" functions return the detail lines of one completion; LogCompletion writes
// the whole report of a completion (DONE, outcome, the details for a normal response only,
// an empty line). Free functions; they write through the log they are given, so they run on
// the thread that owns that log (the main thread).
#pragma once

#include "ModbusTransaction.h"
#include "ModbusTypes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Sondrel {

class TTransactionLog;

// Operation names of the INIT and DONE lines.
inline constexpr std::string_view kReadCoilsName = "Read Coils (code $01)";
inline constexpr std::string_view kReadDiscreteInputsName = "Read Discrete Inputs (code $02)";
inline constexpr std::string_view kWriteSingleCoilName = "Write Single Coil (code $05)";
inline constexpr std::string_view kWriteMultipleCoilsName = "Write Multiple Coils (code $0F)";
inline constexpr std::string_view kReadHoldingRegistersName = "Read Holding Registers (code $03)";
inline constexpr std::string_view kReadInputRegistersName = "Read Input Registers (code $04)";
inline constexpr std::string_view kWriteSingleRegisterName = "Write Single Register (code $06)";
inline constexpr std::string_view kWriteMultipleRegistersName =
    "Write Multiple Registers (code $10)";
inline constexpr std::string_view kMaskWriteRegisterName = "Mask Write Register (code $16)";
inline constexpr std::string_view kReadWriteMultipleRegistersName =
    "Read/Write Multiple Registers (code $17)";
inline constexpr std::string_view kDiagnosticsName = "Diagnostics (code $08)";
inline constexpr std::string_view kReadExceptionStatusName = "Read Exception Status (code $07)";
inline constexpr std::string_view kReportServerIDName = "Report Server ID (code $11)";

// What a count line counts.
enum TCountedItem : std::uint8_t { ciCoil, ciDiscreteInput, ciHoldingRegister, ciInputRegister };

// Gives the text of an exception code; the window passes the client's TranslateExceptionCode.
using TExceptionTranslator = std::function<std::string(std::uint8_t)>;

// "SUCCESS: Normal response", "FAILURE: Response timeout expired", ...
std::string_view OutcomeText(Corvane::TReplyStatus status);

// "INIT: %s [ID: %d]" and "DONE: %s [ID: %d]".
void LogTransactionInit(TTransactionLog& log, std::int32_t id, std::string_view name);
void LogTransactionDone(TTransactionLog& log, std::int32_t id, std::string_view name);
// The outcome line; for an exception response also "Server exception: " and the text of the
// code (Corvane::ExceptionCodeText when translate is empty).
void LogTransactionOutcome(TTransactionLog& log, const Corvane::TTransactionInfo& info,
                           const TExceptionTranslator& translate);
void LogBroadcastNotice(TTransactionLog& log);
// DONE, outcome, the detail lines when the outcome is a normal response, an empty line.
void LogCompletion(TTransactionLog& log, std::string_view name,
                   const Corvane::TTransactionInfo& info, const TExceptionTranslator& translate,
                   const std::vector<std::string>& details);

// "%d %s processed.", the singular wording ("coil was") for counts below 2, 0 included.
std::string CountLine(std::int64_t count, TCountedItem item);

// Coils or discrete inputs read, coils written: the count line, then "%s %d is %s." per bit
// ("Coil" or "Discrete input", start + i, "ON" or "OFF") for the bits the values hold.
std::vector<std::string> BitDetails(TCountedItem item, std::int64_t start, std::int64_t count,
                                    const Corvane::TBitValues& values);
std::vector<std::string> SingleCoilWriteDetails(std::int64_t address, bool value);
// Register reads and writes: the count line only (no register's value is ever listed).
std::vector<std::string> RegisterCountDetails(TCountedItem item, std::int64_t count);
// The count line for 1 holding register and "Register: %d | AND mask: %d | OR mask: %d".
std::vector<std::string> MaskWriteDetails(std::int64_t address, std::int64_t andMask,
                                          std::int64_t orMask);
// "WRITE OPERATION:", its count line, "READ OPERATION:", its count line.
std::vector<std::string> ReadWriteDetails(std::int64_t writeCount, std::int64_t readCount);
// "8 exception status bits were processed." and "Exception status bit %d is %s." per bit.
std::vector<std::string> ExceptionStatusDetails(const Corvane::TExceptionStatusValues& values);
// "Size of server identification info is %d bytes." and the bytes in hexadecimal
// ("01 A2 " ...) or "<empty>".
std::vector<std::string>
ServerIdentificationDetails(std::int64_t count, const Corvane::TServerIdentificationData& data);

// The caption of a diagnostics action: "Return Query Data", ... (the radio group's items).
std::string_view DiagnosticActionCaption(Corvane::TDiagnosticAction action);
// The result line of a diagnostics completion, "%d" filled with the result word.
std::string DiagnosticsLine(Corvane::TDiagnosticAction action, std::uint16_t result);

} // namespace Sondrel
