// A firmware update host with answers set in advance; it records every call in order.
#pragma once

#include "FirmwareUpdateHost.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Sondrel {

class TScriptedUpdateHost : public TFirmwareUpdateHost {
public:
    bool MainOpen = false;
    bool AnswerYes = true;
    bool PortOpens = true;
    bool OpenThrows = false;
    std::function<TScriptRunOutcome(const std::string&)> OnRun;
    std::vector<std::string> Calls;

    bool IsMainConnectionOpenOn(const std::string& port) override {
        Calls.push_back("open-on:" + port);
        return MainOpen;
    }
    void DisconnectMainConnection() override { Calls.push_back("disconnect"); }
    bool TryOpenPort(const std::string& port) override {
        Calls.push_back("try-open:" + port);
        if (OpenThrows) {
            throw std::runtime_error("port layer failure");
        }
        return PortOpens;
    }
    bool AskYesNo(const std::string& text) override {
        Calls.push_back("ask:" + text);
        return AnswerYes;
    }
    void ShowError(const std::string& text) override { Calls.push_back("error:" + text); }
    void ShowInfo(const std::string& text) override { Calls.push_back("info:" + text); }
    void SetHexFileText(const std::string& text) override { Calls.push_back("hex:" + text); }
    void PumpWait(int ms) override { Calls.push_back("wait:" + std::to_string(ms)); }
    TScriptRunOutcome RunAndWait(const std::string& path) override {
        Calls.push_back("run:" + path);
        return OnRun ? OnRun(path) : roCompleted;
    }

    bool Called(const std::string& call) const {
        for (const auto& c : Calls) {
            if (c == call) {
                return true;
            }
        }
        return false;
    }
};

} // namespace Sondrel
