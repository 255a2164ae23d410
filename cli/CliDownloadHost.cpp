#include "CliDownloadHost.h"

#include "MainThreadBridge.h"

#include <chrono>
#include <iostream>

namespace SondrelCli {

using namespace Sondrel;

TCliDownloadHost::TCliDownloadHost(TTransactionLog& log, TDownloadInputs inputs,
                                   Corvane::TBaudRate baudRate, TDelayMenuChoice delay)
    : FLog(log), FInputs(std::move(inputs)), FBaudRate(baudRate), FDelay(delay) {}

void TCliDownloadHost::PumpWait(std::int32_t ms) {
    PumpWaitUntil([] { return false; }, ms);
}

void TCliDownloadHost::PumpWaitUntil(const std::function<bool()>& done, std::int32_t ms) {
    auto& bridge = Corvane::TMainThreadBridge::Instance();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    bridge.Drain();
    for (auto now = std::chrono::steady_clock::now(); now < deadline && !done();
         now = std::chrono::steady_clock::now()) {
        bridge.WaitAndDrain(std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
    }
}

void TCliDownloadHost::ProcessEvents() {
    Corvane::TMainThreadBridge::Instance().Drain();
}

std::int64_t TCliDownloadHost::TickMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TCliDownloadHost::LogStep(TDownloadStepKind kind, const std::string& text) {
    if (kind == skFailure) {
        FFailureReported = true;
        FLastFailure = text;
    }
    FLog.AddLogLine(text);
}

void TCliDownloadHost::ShowMessageBox(TBoxIcon icon, const std::string& text) {
    if (icon == biError) {
        FFailureReported = true;
        FLastFailure = text;
    }
    if (Silent || (Quiet && icon != biError)) {
        return;
    }
    if (Progress != nullptr) {
        Progress->BreakLine();
    }
    std::cerr << text << "\n";
}

bool TCliDownloadHost::AskYesNo(const std::string& title, const std::string& text,
                                bool noIsDefault) {
    // The two erase questions are the only ones whose default is No.
    const bool yes = noIsDefault ? AnswerEraseWithYes : true;
    if (!Quiet && !Silent) {
        if (Progress != nullptr) {
            Progress->BreakLine();
        }
        std::cerr << (title.empty() ? "" : title + ": ") << text << " -> " << (yes ? "Yes" : "No")
                  << "\n";
    }
    return yes;
}

} // namespace SondrelCli
