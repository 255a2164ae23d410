// The download engine's host in the command-line tool: inputs come from the options, waits
// pump the main-thread bridge, log lines go to the transaction log on standard output, boxes
// go to standard error, and questions are answered by the options given (by default as the
// window's default button would answer).
#pragma once

#include "DownloadHost.h"
#include "TransactionLog.h"

#include <functional>

namespace SondrelCli {

class TCliDownloadHost : public Sondrel::TDownloadHost {
public:
    TCliDownloadHost(Sondrel::TTransactionLog& log, Sondrel::TDownloadInputs inputs,
                     Corvane::TBaudRate baudRate, Sondrel::TDelayMenuChoice delay);

    // Answers the erase question of the whole-log download and of the erase command.
    bool AnswerEraseWithYes = false;
    // Set when a failure line (bold red) or an error box was written.
    bool FailureReported() const { return FFailureReported; }

    Sondrel::TDownloadInputs Inputs() override { return FInputs; }
    Corvane::TBaudRate BaudRate() override { return FBaudRate; }
    Sondrel::TDelayMenuChoice DelayMenuChoice() override { return FDelay; }
    void PumpWait(std::int32_t ms) override;
    void ProcessEvents() override;
    std::int64_t TickMs() override;
    void AddLogLine(const std::string& text) override;
    void AddStyledLogLine(const std::string& text, bool bold, std::int32_t size,
                          Sondrel::TLogColour colour) override;
    void SetDisplayText(const std::string&) override {}
    void ShowMessageBox(Sondrel::TBoxIcon icon, const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text, bool noIsDefault) override;
    void SetProgress(Sondrel::TDownloadProgressBar, std::int32_t) override {}
    void SetProgressTextWhite(Sondrel::TDownloadProgressBar, bool) override {}
    void enableComponents(bool) override {}
    void EnableExportTabControls(bool, bool) override {}
    void SetHourglassCursor(bool) override {}
    void RepaintWindow() override {}
    void SetTransactionTimerEnabled(bool) override {}
    void SetConsoleRegisterAccess(bool) override {}
    void ShowListView() override {}
    void SetListHeaderBold() override {}
    void SetRemoveRecordsButtonEnabled(bool) override {}

private:
    Sondrel::TTransactionLog& FLog;
    Sondrel::TDownloadInputs FInputs;
    Corvane::TBaudRate FBaudRate;
    Sondrel::TDelayMenuChoice FDelay;
    bool FFailureReported = false;
};

} // namespace SondrelCli
