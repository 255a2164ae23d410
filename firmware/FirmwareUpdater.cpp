#include "FirmwareUpdater.h"

#include "FirmwarePaths.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace Sondrel {

namespace {

constexpr int ScriptSettleMs = 150;
constexpr std::string_view HexFileEmptyText =
    "Hex File box is empty.  Please select a file to upload and try again.";
constexpr std::string_view ExceptionErrorText = "Update Firmware Exception Error.";

// Trim as the edit boxes have always done it: every character up to the space is dropped at
// both ends.
std::string Trim(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ') {
        ++first;
    }
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') {
        --last;
    }
    return text.substr(first, last - first);
}

std::string PortOpenQuestion(const std::string& port) {
    return "Serial Port (" + port +
           ") is currently open.  Automatically disconnect before continuing?";
}

std::string PortUnavailableText(const std::string& port) {
    return "Serial Port (" + port +
           ") is currently unavailable.  Make sure that it is not being used by another "
           "application before trying again.";
}

std::string UpdateFailedText(const std::string& port) {
    return "Firmware update failed.  Make sure that Serial Port (" + port +
           ") is available and try again.";
}

} // namespace

TFirmwareUpdater::TFirmwareUpdater(TFirmwareUpdateHost& host, std::string programFolder,
                                   TScriptKind kind)
    : FHost(host), FProgramFolder(std::move(programFolder)), FKind(kind) {}

std::string TFirmwareUpdater::ScriptPath() const {
    const char separator = FKind == skWindowsBatch ? '\\' : '/';
    return WithTrailingSeparator(FProgramFolder, separator) + ProgramScriptFileName(FKind);
}

bool TFirmwareUpdater::CheckHexFileName(const std::string& path) {
    if (HasForbiddenHexPathText(path)) {
        FHost.SetHexFileText(std::string());
        FHost.ShowError(InvalidHexPathMessage(path));
        return false;
    }
    FHost.SetHexFileText(path);
    return true;
}

void TFirmwareUpdater::Start(const std::string& portText, const std::string& hexText,
                             TFirmwareBaud baud) {
    const std::string hexPath = Trim(hexText);
    if (!CheckHexFileName(hexPath)) {
        return;
    }
    const std::string port = Trim(portText);
    if (FHost.IsMainConnectionOpenOn(port)) {
        if (!FHost.AskYesNo(PortOpenQuestion(port))) {
            return;
        }
        FHost.DisconnectMainConnection();
    }
    try {
        if (!FHost.TryOpenPort(port)) {
            RemoveScript();
            FHost.ShowError(PortUnavailableText(port));
            return;
        }
        if (hexPath.empty()) {
            RemoveScript();
            FHost.ShowError(std::string(HexFileEmptyText));
            return;
        }
        if (WriteAndRunScript(TProgramJob{port, baud, hexPath, FProgramFolder})) {
            FHost.ShowInfo(std::string(FinishedText));
        }
    } catch (...) {
        RemoveScript();
        FHost.ShowError(UpdateFailedText(port));
    }
}

bool TFirmwareUpdater::WriteAndRunScript(const TProgramJob& job) {
    TScriptRunOutcome outcome = roCompleted;
    try {
        WriteScript(ProgramScriptText(job, FKind));
        FHost.PumpWait(ScriptSettleMs);
        outcome = FHost.RunAndWait(ScriptPath());
    } catch (...) {
        RemoveScript();
        FHost.ShowError(std::string(ExceptionErrorText));
        return false;
    }
    RemoveScript();
    // A run stopped because the program is closing gets no box.
    return outcome == roCompleted;
}

void TFirmwareUpdater::WriteScript(const std::string& text) const {
    const std::string path = ScriptPath();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        throw std::runtime_error("Cannot create " + path);
    }
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (!file) {
        throw std::runtime_error("Cannot write " + path);
    }
}

void TFirmwareUpdater::RemoveScript() const {
    std::error_code ignored;
    std::filesystem::remove(ScriptPath(), ignored);
}

} // namespace Sondrel
