#include "TestHost.h"

#include "CorvaneError.h"

#include <algorithm>
#include <stdexcept>

void TTestHost::At(std::int64_t time, std::function<void()> action) {
    FEvents.push_back({time, FOrder++, std::move(action)});
}

bool TTestHost::RunNext(std::int64_t time) {
    const auto next = std::min_element(FEvents.begin(), FEvents.end(), [](auto& a, auto& b) {
        return a.Due != b.Due ? a.Due < b.Due : a.Order < b.Order;
    });
    if (next == FEvents.end() || next->Due > time) {
        return false;
    }
    Now = std::max(Now, next->Due);
    auto action = std::move(next->Action);
    FEvents.erase(next);
    action();
    return true;
}

void TTestHost::RunUntil(std::int64_t time) {
    while (RunNext(time)) {
    }
}

void TTestHost::PumpWait(std::int32_t ms) {
    if (ms <= 0) {
        return;
    }
    const std::int64_t end = Now + ms;
    RunUntil(end);
    Now = std::max(Now, end);
}

void TTestHost::PumpWaitUntil(const std::function<bool()>& done, std::int32_t ms) {
    if (ms <= 0 || done()) {
        return;
    }
    const std::int64_t end = Now + ms;
    while (!done()) {
        if (!RunNext(end)) {
            Now = std::max(Now, end);
            return;
        }
    }
}

void TTestHost::ProcessEvents() {
    if (OnProcessEvents) {
        OnProcessEvents();
    }
    RunUntil(Now);
}

void TTestHost::ShowMessageBox(Sondrel::TBoxIcon icon, const std::string& text) {
    Boxes.emplace_back(icon, text);
    RequestsBeforeBox.push_back(Requests);
}

bool TTestHost::AskYesNo(const std::string& title, const std::string& text, bool noIsDefault) {
    Questions.push_back({title, text, noIsDefault});
    if (Answers.empty()) {
        return true;
    }
    const bool answer = Answers.front();
    Answers.pop_front();
    return answer;
}

void TTestHost::SetProgress(Sondrel::TDownloadProgressBar bar, std::int32_t position) {
    if (position < 0 || position > 100) {
        throw std::logic_error("progress out of range: " + std::to_string(position));
    }
    Progress[bar] = position;
}

void TTestHost::EnableExportTabControls(bool enabled, bool exportReady) {
    ExportTabEnabled = enabled;
    ExportButtonsEnabled = exportReady;
}

std::vector<std::string> TTestHost::Lines() const {
    std::vector<std::string> texts;
    for (const auto& line : Log) {
        texts.push_back(line.Text);
    }
    return texts;
}

bool TTestHost::HasLine(const std::string& text) const {
    return FindLine(text) != nullptr;
}

const TLogLine* TTestHost::FindLine(const std::string& text) const {
    for (const auto& line : Log) {
        if (line.Text == text) {
            return &line;
        }
    }
    return nullptr;
}

std::vector<std::string> TTestHost::RequestsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const auto& r : Requests) {
        if (r.rfind(prefix, 0) == 0) {
            found.push_back(r);
        }
    }
    return found;
}

Corvane::TTransactionInfo TTestHost::NextInfo(bool answered) {
    Corvane::TTransactionInfo info;
    info.ID = ++FNextId;
    info.ServerAddress = 1;
    info.Attempts = 1;
    info.Status = answered ? Corvane::rsNormalResponse : Corvane::rsTimeoutExpired;
    return info;
}

std::int32_t TTestHost::WriteSingleRegister(std::uint16_t reg, std::uint16_t value) {
    if (NoConnection) {
        throw Corvane::ECorvaneError(Corvane::msgNoActiveConnection);
    }
    const std::string text = "W " + std::to_string(reg) + "=" + std::to_string(value);
    Requests.push_back(text);
    const auto plan = Plan ? Plan(text) : std::nullopt;
    const bool answered = !(plan && plan->Lost) && FInstrument.Write(reg, value);
    const auto info = NextInfo(answered);
    const std::int32_t after = !answered ? TimeoutMs : plan ? plan->AfterMs : LatencyMs;
    At(Now + after, [this, info, reg, value] { FEngine->OnSingleRegisterWrite(info, reg, value); });
    if (OnRequest) {
        OnRequest(text);
    }
    return info.ID;
}

std::int32_t TTestHost::ReadHoldingRegisters(std::uint16_t start, std::uint16_t count) {
    if (NoConnection) {
        throw Corvane::ECorvaneError(Corvane::msgNoActiveConnection);
    }
    const std::string text = "R " + std::to_string(start) + "x" + std::to_string(count);
    Requests.push_back(text);
    const auto plan = Plan ? Plan(text) : std::nullopt;
    const auto reply = plan && plan->Lost ? std::nullopt : FInstrument.Read(start, count);
    const auto info = NextInfo(reply.has_value());
    const Corvane::TRegValues values = reply.value_or(Corvane::TRegValues{});
    const std::int32_t after = !reply ? TimeoutMs : plan ? plan->AfterMs : LatencyMs;
    At(Now + after, [this, info, start, count, values] {
        FEngine->OnHoldingRegistersRead(info, start, count, values);
    });
    if (OnRequest) {
        OnRequest(text);
    }
    return info.ID;
}
