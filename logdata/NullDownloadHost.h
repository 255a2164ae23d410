// A download host that logs nothing, answers every question No and never waits: for programs
// that drive the record import without a window or a console (the benchmarks, the fuzzer).
// Its view is TDownloadView::None().
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
    void PumpWaitUntil(const std::function<bool()>&, std::int32_t) override {}
    void ProcessEvents() override {}
    std::int64_t TickMs() override { return 0; }
    void LogStep(TDownloadStepKind, const std::string&) override {}
    void ShowMessageBox(TBoxIcon, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&, bool) override { return false; }
};

} // namespace Sondrel
