// The download engine's host in the command-line tool: inputs come from the options, waits
// pump the main-thread bridge, log lines go to the transaction log on standard output (plain:
// a terminal has no styles), boxes go to standard error, and questions are answered by the
// options given (by default as the window's default button would answer) and echoed to
// standard error. Quiet keeps to standard error only the error boxes. The view is the
// progress of the passes (TDownloadProgress), whose line is ended before anything else is
// written to standard error.
#pragma once

#include "DownloadHost.h"
#include "DownloadProgress.h"
#include "TransactionLog.h"

#include <functional>

namespace SondrelCli {

class TCliDownloadHost : public Sondrel::TDownloadHost {
public:
    TCliDownloadHost(Sondrel::TTransactionLog& log, Sondrel::TDownloadInputs inputs,
                     Corvane::TBaudRate baudRate, Sondrel::TDelayMenuChoice delay);

    // Answers the erase question of the whole-log download and of the erase command.
    bool AnswerEraseWithYes = false;
    bool Quiet = false;
    // Writes nothing at all to standard error, not even error boxes (the collector reports
    // the failure on its own line: LastFailure).
    bool Silent = false;
    // The progress line that output on standard error must not run into (none: no progress).
    TDownloadProgress* Progress = nullptr;
    // Set when a failure line or an error box was written.
    bool FailureReported() const { return FFailureReported; }
    // The last failure line or error box, empty when there was none.
    const std::string& LastFailure() const { return FLastFailure; }

    Sondrel::TDownloadInputs Inputs() override { return FInputs; }
    Corvane::TBaudRate BaudRate() override { return FBaudRate; }
    Sondrel::TDelayMenuChoice DelayMenuChoice() override { return FDelay; }
    void PumpWait(std::int32_t ms) override;
    void PumpWaitUntil(const std::function<bool()>& done, std::int32_t ms) override;
    void ProcessEvents() override;
    std::int64_t TickMs() override;
    void LogStep(Sondrel::TDownloadStepKind kind, const std::string& text) override;
    void ShowMessageBox(Sondrel::TBoxIcon icon, const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text, bool noIsDefault) override;

private:
    Sondrel::TTransactionLog& FLog;
    Sondrel::TDownloadInputs FInputs;
    Corvane::TBaudRate FBaudRate;
    Sondrel::TDelayMenuChoice FDelay;
    bool FFailureReported = false;
    std::string FLastFailure;
};

} // namespace SondrelCli
