#include "ConsoleReports.h"

#include "ModbusClient.h"

#include "CorvaneError.h"
#include "TransactionLog.h"

#include <array>

namespace Sondrel {

namespace {

using Corvane::FormatText;

constexpr std::array<std::string_view, 6> kOutcomeTexts = {
    "FAILURE: Response timeout expired",  "FAILURE: Response frame corrupted",
    "FAILURE: Mistargeted response",      "FAILURE: Unmatched response",
    "FAILURE: Modbus exception response", "SUCCESS: Normal response",
};

struct TCountWords {
    std::string_view Singular;
    std::string_view Plural;
};

constexpr std::array<TCountWords, 4> kCountWords = {{
    {"coil was", "coils were"},
    {"discrete input was", "discrete inputs were"},
    {"holding register was", "holding registers were"},
    {"input register was", "input registers were"},
}};

struct TDiagnosticTexts {
    std::string_view Caption;
    std::string_view Line;
};

constexpr std::array<TDiagnosticTexts, 15> kDiagnosticTexts = {{
    {"Return Query Data",
     "\"Return Query Data\" action was performed by the server. It appears to be responding."},
    {"Restart Comms Option", "\"Restart Comms Option\" action was performed by the server."},
    {"Restart Comms Option And Clear Event Log",
     "\"Restart Comms Option And Clear Event Log\" action was performed by the server."},
    {"Return Diagnostic Register", "\"Return Diagnostic Register\" action returned the value %d."},
    {"Force Listen Only Mode",
     "\"Force Listen Only Mode\" action was performed by the server. It should never go here."},
    {"Clear Counters And Diagnostic Register",
     "\"Clear Counters And Diagnostic Register\" action was performed by the server."},
    {"Return Bus Message Count", "\"Return Bus Message Count\" action returned the value %d."},
    {"Return Bus Comm Error Count",
     "\"Return Bus Comm Error Count\" action returned the value %d."},
    {"Return Bus Exception Error Count",
     "\"Return Bus Exception Error Count\" action returned the value %d."},
    {"Return Server Message Count",
     "\"Return Server Message Count\" action returned the value %d."},
    {"Return Server No Reply Count",
     "\"Return Server No Reply Count\" action returned the value %d."},
    {"Return Server Negative Acknowledge Count",
     "\"Return Server Negative Acknowledge Count\" action returned the value %d."},
    {"Return Server Busy Count", "\"Return Server Busy Count\" action returned the value %d."},
    {"Return Bus Character Overrun Count",
     "\"Return Bus Character Overrun Count\" action returned the value %d."},
    {"Clear Overrun Counter And Flag",
     "\"Clear Overrun Counter And Flag\" action was performed by the server."},
}};

std::string_view OnOff(bool on) {
    return on ? "ON" : "OFF";
}

} // namespace

std::string_view OutcomeText(Corvane::TReplyStatus status) {
    // A status outside the enumeration cannot come from the engine; it reads as no usable
    // reply rather than as a success.
    return status < kOutcomeTexts.size() ? kOutcomeTexts[status] : kOutcomeTexts[0];
}

void LogTransactionInit(TTransactionLog& log, std::int32_t id, std::string_view name) {
    log.AddLogLine(FormatText("INIT: %s [ID: %d]", {std::string(name), id}));
}

void LogTransactionDone(TTransactionLog& log, std::int32_t id, std::string_view name) {
    log.AddLogLine(FormatText("DONE: %s [ID: %d]", {std::string(name), id}));
}

void LogTransactionOutcome(TTransactionLog& log, const Corvane::TTransactionInfo& info,
                           const TExceptionTranslator& translate) {
    log.AddLogLine(OutcomeText(info.Status));
    if (info.Status == Corvane::rsExceptionResponse) {
        const std::string text = translate ? translate(info.ExceptionCode)
                                           : Corvane::ExceptionCodeText(info.ExceptionCode);
        log.AddLogLine("Server exception: " + text);
    }
}

void LogBroadcastNotice(TTransactionLog& log) {
    log.AddLogLine(
        "Broadcasting mode: No reply is expected to be returned from a remote server(s).");
}

void LogCompletion(TTransactionLog& log, std::string_view name,
                   const Corvane::TTransactionInfo& info, const TExceptionTranslator& translate,
                   const std::vector<std::string>& details) {
    LogTransactionDone(log, info.ID, name);
    LogTransactionOutcome(log, info, translate);
    if (info.Status == Corvane::rsNormalResponse) {
        for (const auto& line : details) {
            log.AddLogLine(line);
        }
    }
    log.AddLogLine("");
}

std::string CountLine(std::int64_t count, TCountedItem item) {
    const TCountWords& words = kCountWords[item < kCountWords.size() ? item : 0];
    return FormatText("%d %s processed.",
                      {count, std::string(count < 2 ? words.Singular : words.Plural)});
}

std::vector<std::string> BitDetails(TCountedItem item, std::int64_t start, std::int64_t count,
                                    const Corvane::TBitValues& values) {
    const std::string label = item == ciDiscreteInput ? "Discrete input" : "Coil";
    std::vector<std::string> lines{CountLine(count, item)};
    for (std::size_t i = 0; i < values.size() && static_cast<std::int64_t>(i) < count; ++i) {
        lines.push_back(FormatText("%s %d is %s.", {label, start + static_cast<std::int64_t>(i),
                                                    std::string(OnOff(values[i]))}));
    }
    return lines;
}

std::vector<std::string> SingleCoilWriteDetails(std::int64_t address, bool value) {
    return BitDetails(ciCoil, address, 1, Corvane::TBitValues{value});
}

std::vector<std::string> RegisterCountDetails(TCountedItem item, std::int64_t count) {
    return {CountLine(count, item)};
}

std::vector<std::string> MaskWriteDetails(std::int64_t address, std::int64_t andMask,
                                          std::int64_t orMask) {
    return {CountLine(1, ciHoldingRegister),
            FormatText("Register: %d | AND mask: %d | OR mask: %d", {address, andMask, orMask})};
}

std::vector<std::string> ReadWriteDetails(std::int64_t writeCount, std::int64_t readCount) {
    return {"WRITE OPERATION:", CountLine(writeCount, ciHoldingRegister),
            "READ OPERATION:", CountLine(readCount, ciHoldingRegister)};
}

std::vector<std::string> ExceptionStatusDetails(const Corvane::TExceptionStatusValues& values) {
    std::vector<std::string> lines{"8 exception status bits were processed."};
    for (std::size_t i = 0; i < values.size(); ++i) {
        lines.push_back(FormatText("Exception status bit %d is %s.",
                                   {static_cast<std::int64_t>(i), std::string(OnOff(values[i]))}));
    }
    return lines;
}

std::vector<std::string>
ServerIdentificationDetails(std::int64_t count, const Corvane::TServerIdentificationData& data) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(data.size() * 3);
    for (const std::uint8_t byte : data) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0F];
        hex += ' ';
    }
    return {FormatText("Size of server identification info is %d bytes.", {count}),
            data.empty() ? std::string("<empty>") : hex};
}

std::string_view DiagnosticActionCaption(Corvane::TDiagnosticAction action) {
    return action < kDiagnosticTexts.size() ? kDiagnosticTexts[action].Caption : std::string_view();
}

std::string DiagnosticsLine(Corvane::TDiagnosticAction action, std::uint16_t result) {
    if (action >= kDiagnosticTexts.size()) {
        return std::string(Corvane::MessageText(Corvane::msgDiagnosticActionUnknown));
    }
    return FormatText(kDiagnosticTexts[action].Line, {std::int64_t{result}});
}

} // namespace Sondrel
