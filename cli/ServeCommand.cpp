#include "ServeCommand.h"

#include "CommandLine.h"
#include "ConnectionLogBinding.h"
#include "LineOptions.h"
#include "ServerItemBinding.h"
#include "ServerItemMap.h"
#include "StdoutLogView.h"
#include "StopSignals.h"

#include "CorvaneError.h"
#include "ModbusServer.h"

#include <atomic>
#include <chrono>
#include <iostream>

namespace SondrelCli {

using namespace Corvane;
using namespace Sondrel;
using namespace SondrelOptions;

const char* ServeCommandHelp() {
    return "serve --items FILE [--server-address N] [--save] [line options]\n"
           "  Answers requests as the local server (functions 01-06, 15, 16) from the item map\n"
           "  FILE. Refused requests and invalid frames are logged. Values written by the\n"
           "  remote client are kept in memory and written back to FILE on exit only with\n"
           "  --save. Stops on SIGINT or SIGTERM.\n";
}

int RunServeCommand(const std::vector<std::string>& args) {
    std::set<std::string> valueOptions = LineOptionNames();
    valueOptions.insert({"items", "server-address"});
    const TCommandLine line(args, valueOptions, {"save"});
    if (line.Positional().size() != 1) {
        throw EUsageError("serve takes no arguments besides its options");
    }
    const auto items = line.Value("items");
    if (!items) {
        throw EUsageError("serve: --items FILE is required");
    }
    const TLineOptions options = ParseLineOptions(line);
    std::uint8_t serverAddress = 1;
    if (const auto text = line.Value("server-address")) {
        serverAddress = static_cast<std::uint8_t>(ParseInteger(*text, 1, 247, "--server-address"));
    }

    TStdoutLogView view;
    TTransactionLog log(view);
    TServerItemMap map;
    try {
        map.LoadServerItems(*items);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    if (map.RowCount() == 0) {
        log.AddLogLine("The item map is empty: every request will be refused.");
    }

    TModbusConnection connection;
    ApplyLineOptions(options, connection);
    connection.SetConnectionMode(cmServer);
    TModbusServer server;
    server.SetAddress(serverAddress);
    server.SetConnection(&connection);
    TServerItemBinding binding(server, map, log);
    binding.Bind();
    BindConnectionLog(connection, log);
    connection.OnInvalidFrameDiscard = [&log](TModbusConnection&) {
        log.AddLogLine("Invalid frame discarded.");
    };

    InstallStopSignals();
    try {
        connection.SetActive(true);
    } catch (const ECorvaneError& e) {
        std::cerr << LineFailureText(e) << "\n";
        return 1;
    }
    auto& bridge = TMainThreadBridge::Instance();
    bool lineLostReported = false;
    while (!StopRequested()) {
        bridge.WaitAndDrain(std::chrono::milliseconds(100));
        if (connection.LineLost() && !lineLostReported) {
            log.AddLogLine("The serial line is gone; waiting for it to come back.");
            lineLostReported = true;
        } else if (!connection.LineLost()) {
            lineLostReported = false;
        }
    }
    connection.SetActive(false);
    if (line.Flag("save")) {
        try {
            map.SaveServerItems(*items);
        } catch (const std::exception& e) {
            std::cerr << e.what() << "\n";
            return 1;
        }
    }
    return 0;
}

} // namespace SondrelCli
