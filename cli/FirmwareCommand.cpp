#include "FirmwareCommand.h"

#include "CommandLine.h"

#include "FirmwareUpdateHost.h"
#include "FirmwareUpdater.h"
#include "ScriptProcess.h"

#include "MainThreadBridge.h"
#include "ModbusConnection.h"

#include <chrono>
#include <filesystem>
#include <iostream>

namespace SondrelCli {

using namespace Sondrel;
using namespace SondrelOptions;

namespace {

// The firmware update's host on the command line: no main connection to give way, message
// boxes as lines, the script run in the foreground.
class TCliFirmwareHost final : public TFirmwareUpdateHost {
public:
    bool IsMainConnectionOpenOn(const std::string&) override { return false; }
    void DisconnectMainConnection() override {}

    bool TryOpenPort(const std::string& port) override {
        Corvane::TModbusConnection connection(Corvane::TMainThreadBridge::Instance());
        connection.SetPort(port);
        try {
            connection.SetActive(true);
        } catch (const std::exception&) {
            return false;
        }
        connection.SetActive(false);
        return true;
    }

    bool AskYesNo(const std::string&) override { return false; }
    void ShowError(const std::string& text) override {
        std::cerr << text << "\n";
        Failed = true;
    }
    void ShowInfo(const std::string& text) override { std::cout << text << "\n"; }
    void SetHexFileText(const std::string&) override {}

    void PumpWait(int ms) override {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            Corvane::TMainThreadBridge::Instance().WaitAndDrain(
                std::chrono::duration_cast<std::chrono::milliseconds>(
                    end - std::chrono::steady_clock::now()));
        }
    }
    TScriptRunOutcome RunAndWait(const std::string& scriptPath) override {
        std::cout.flush();
        RunScriptAndWait(scriptPath);
        return roCompleted;
    }

    bool Failed = false;
};

} // namespace

std::string FirmwareCommandHelp() {
    return "Firmware update (the firmware page's START):\n"
           "  firmware --port PORT --hex FILE [--firmware-baud 19200|38400]\n"
           "           [--program-folder DIR]\n"
           "  writes the programming script into the program folder (default: the current\n"
           "  folder), runs it there and deletes it. The ISP tool must be reachable from that\n"
           "  folder: FM (Program.bat) on Windows, lpc21isp (Program.sh) elsewhere.\n";
}

int RunFirmwareCommand(const std::vector<std::string>& args) {
    const TCommandLine line(args, {"port", "hex", "firmware-baud", "program-folder"}, {});
    if (line.Positional().size() != 1) {
        throw EUsageError("firmware takes no arguments (see --help)");
    }
    const auto port = line.Value("port");
    const auto hex = line.Value("hex");
    if (!port || !hex) {
        throw EUsageError("firmware needs --port PORT and --hex FILE");
    }
    TFirmwareBaud baud = fb19200;
    if (const auto text = line.Value("firmware-baud")) {
        if (*text != "19200" && *text != "38400") {
            throw EUsageError("--firmware-baud: '" + *text + "' is not one of 19200|38400");
        }
        baud = *text == "38400" ? fb38400 : fb19200;
    }
    std::error_code error;
    const std::string folder =
        line.Value("program-folder").value_or(std::filesystem::current_path(error).string());
    if (!std::filesystem::is_directory(folder, error)) {
        throw EUsageError("--program-folder: '" + folder + "' is not a folder");
    }
    Corvane::TMainThreadBridge::Instance().AdoptCurrentThread();
    TCliFirmwareHost host;
    TFirmwareUpdater updater(host, std::filesystem::absolute(folder, error).string());
    updater.Start(*port, *hex, baud);
    return host.Failed ? 1 : 0;
}

} // namespace SondrelCli
