// A download host that shows nothing, answers every question No and never waits: for programs
// that drive the record import without a window or a console (the benchmarks, the fuzzer).
//
// Threads: whichever thread drives the import.
#pragma once

#include "DownloadHost.h"

namespace Sondrel {

class TNullDownloadHost : public TDownloadHost {
public:
    TDownloadInputs Inputs() override { return {}; }
    Corvane::TBaudRate BaudRate() override { return Corvane::br115200; }
    TDelayMenuChoice DelayMenuChoice() override { return dmNone; }
    void PumpWait(std::int32_t) override {}
    void ProcessEvents() override {}
    std::int64_t TickMs() override { return 0; }
    void AddLogLine(const std::string&) override {}
    void AddStyledLogLine(const std::string&, bool, std::int32_t, TLogColour) override {}
    void SetDisplayText(const std::string&) override {}
    void ShowMessageBox(TBoxIcon, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&, bool) override { return false; }
    void SetProgress(TDownloadProgressBar, std::int32_t) override {}
    void SetProgressTextWhite(TDownloadProgressBar, bool) override {}
    void enableComponents(bool) override {}
    void EnableExportTabControls(bool, bool) override {}
    void SetHourglassCursor(bool) override {}
    void RepaintWindow() override {}
    void SetTransactionTimerEnabled(bool) override {}
    void SetConsoleRegisterAccess(bool) override {}
    void ShowListView() override {}
    void SetListHeaderBold() override {}
    void SetRemoveRecordsButtonEnabled(bool) override {}
};

} // namespace Sondrel
