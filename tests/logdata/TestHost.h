// A scripted host and view for the download engine: a virtual clock, the fake instrument behind
// the requests, replies delivered to the engine's completions during PumpWait, answers to the
// questions given in advance, and a record of everything shown.
//
// Requests are applied to the instrument at once and answered LatencyMs later; an unanswered
// request completes with rsTimeoutExpired after TimeoutMs, as the client does once its retries
// are spent. No test sleeps: PumpWait and PumpWaitUntil move the virtual clock.
#pragma once

#include "DownloadEngine.h"
#include "DownloadHost.h"
#include "DownloadRequests.h"
#include "DownloadView.h"
#include "FakeInstrument.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct TLogLine {
    std::string Text;
    Sondrel::TDownloadStepKind Kind = Sondrel::skPlain;
};

struct TQuestion {
    std::string Title;
    std::string Text;
    bool NoIsDefault = false;
};

class TTestHost : public Sondrel::TDownloadHost,
                  public Sondrel::TDownloadView,
                  public Sondrel::TDownloadRequests {
public:
    explicit TTestHost(TFakeInstrument& instrument) : FInstrument(instrument) {}

    void Attach(Sondrel::TDownloadEngine& engine) { FEngine = &engine; }
    // Runs action when the virtual clock reaches time (inside a wait).
    void At(std::int64_t time, std::function<void()> action);

    // --- script
    Sondrel::TDownloadInputs InputValues;
    Corvane::TBaudRate Baud = Corvane::br115200;
    Sondrel::TDelayMenuChoice Delay = Sondrel::dmFast;
    std::deque<bool> Answers; // answers to questions in order; Yes when none is left
    bool NoConnection = false;
    // The line under the requests is gone (requests still complete, as timeouts).
    bool LineGone = false;
    std::int32_t LatencyMs = 20;
    // The client's response timeout times its attempts.
    std::int32_t TimeoutMs = 4000;
    // Called after every request with its text ("W 254=5", "R 256x104").
    std::function<void(const std::string&)> OnRequest;
    // How one request completes, when not as the instrument decides: lost (never reaches the
    // instrument; completes as a timeout after TimeoutMs), or answered after AfterMs (a reply
    // lost once and given to the retry).
    struct TReplyPlan {
        bool Lost = false;
        std::int32_t AfterMs = 0;
    };
    std::function<std::optional<TReplyPlan>(const std::string& request)> Plan;
    // Called whenever the engine processes events without waiting.
    std::function<void()> OnProcessEvents;

    // --- record
    std::int64_t Now = 0;
    std::vector<TLogLine> Log;
    std::vector<std::string> Requests;
    std::vector<std::pair<Sondrel::TBoxIcon, std::string>> Boxes;
    // The requests made before each box was shown.
    std::vector<std::vector<std::string>> RequestsBeforeBox;
    std::vector<TQuestion> Questions;
    std::string DisplayText;
    std::int32_t Progress[2] = {0, 0};
    bool ProgressWhite[2] = {false, false};
    bool ComponentsEnabled = true;
    bool ExportTabEnabled = true;
    bool ExportButtonsEnabled = false;
    bool Hourglass = false;
    bool TransactionTimerEnabled = true;
    bool ConsoleRegisterAccess = true;
    std::int32_t ListShown = 0;
    bool HeaderBold = false;
    bool RemoveRecordsEnabled = true;
    std::vector<Sondrel::TPassProgress> Passes;

    // The log texts in order, and the requests matching a prefix.
    std::vector<std::string> Lines() const;
    bool HasLine(const std::string& text) const;
    const TLogLine* FindLine(const std::string& text) const;
    std::vector<std::string> RequestsStartingWith(const std::string& prefix) const;

    // TDownloadHost
    Sondrel::TDownloadInputs Inputs() override { return InputValues; }
    Corvane::TBaudRate BaudRate() override { return Baud; }
    Sondrel::TDelayMenuChoice DelayMenuChoice() override { return Delay; }
    void PumpWait(std::int32_t ms) override;
    void PumpWaitUntil(const std::function<bool()>& done, std::int32_t ms) override;
    void ProcessEvents() override;
    std::int64_t TickMs() override { return Now; }
    void LogStep(Sondrel::TDownloadStepKind kind, const std::string& text) override {
        Log.push_back({text, kind});
    }
    void ShowMessageBox(Sondrel::TBoxIcon icon, const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text, bool noIsDefault) override;

    // TDownloadView
    void SetDisplayText(const std::string& text) override { DisplayText = text; }
    void SetProgress(Sondrel::TDownloadProgressBar bar, std::int32_t position) override;
    void SetProgressTextWhite(Sondrel::TDownloadProgressBar bar, bool white) override {
        ProgressWhite[bar] = white;
    }
    void enableComponents(bool enabled) override { ComponentsEnabled = enabled; }
    void EnableExportTabControls(bool enabled, bool exportReady) override;
    void SetHourglassCursor(bool hourglass) override { Hourglass = hourglass; }
    void RepaintWindow() override {}
    void SetTransactionTimerEnabled(bool enabled) override { TransactionTimerEnabled = enabled; }
    void SetConsoleRegisterAccess(bool value) override { ConsoleRegisterAccess = value; }
    void ShowListView() override { ++ListShown; }
    void SetListHeaderBold() override { HeaderBold = true; }
    void SetRemoveRecordsButtonEnabled(bool enabled) override { RemoveRecordsEnabled = enabled; }
    void ShowPassProgress(const Sondrel::TPassProgress& progress) override {
        Passes.push_back(progress);
    }

    // TDownloadRequests
    std::int32_t WriteSingleRegister(std::uint16_t reg, std::uint16_t value) override;
    std::int32_t ReadHoldingRegisters(std::uint16_t start, std::uint16_t count) override;
    bool LineLost() const override { return LineGone; }
    // 115200 bit/s 8N1 with the standard's silence; an exchange takes at most the time an
    // unanswered request takes to complete.
    Corvane::TExchangeTiming ExchangeTiming() const override {
        return {Corvane::tmRTU, 1e7 / 115200, 1750, static_cast<std::uint32_t>(TimeoutMs)};
    }

private:
    struct TEvent {
        std::int64_t Due;
        std::uint64_t Order;
        std::function<void()> Action;
    };
    void RunUntil(std::int64_t time);
    // Runs the earliest event due by time; false when there is none.
    bool RunNext(std::int64_t time);
    Corvane::TTransactionInfo NextInfo(bool answered);

    TFakeInstrument& FInstrument;
    Sondrel::TDownloadEngine* FEngine = nullptr;
    std::vector<TEvent> FEvents;
    std::uint64_t FOrder = 0;
    std::int32_t FNextId = 0;
};
