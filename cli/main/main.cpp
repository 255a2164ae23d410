// sondrel-cli: the console's engines without a window.
#include "ArchiveCommands.h"
#include "ClientCommands.h"
#include "CommandLine.h"
#include "DownloadCommands.h"
#include "FirmwareCommand.h"
#include "LineOptions.h"
#include "ProgramVersion.h"
#include "ServeCommand.h"
#include "SimulatorProcess.h"

#include "ArchiveLocation.h"
#include "CorvaneError.h"

#ifdef SONDREL_HAVE_COLLECT
#include "CollectCommand.h"
#endif
#ifdef SONDREL_HAVE_REPORT
#include "ReportCommand.h"
#endif

#include <cstring>

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

void PrintHelp() {
    std::cout
        << "Usage: sondrel-cli COMMAND [arguments] [options]\n\n"
        << SondrelCli::ClientCommandsHelp() << "\n"
        << SondrelCli::DownloadCommandsHelp() << "\n"
        << SondrelCli::ArchiveCommandsHelp() << "\n"
#ifdef SONDREL_HAVE_COLLECT
        << SondrelCli::CollectCommandHelp() << "\n"
#endif
        << SondrelCli::ServeCommandHelp() << "\n"
        << SondrelCli::FirmwareCommandHelp() << "\n"
        << SondrelOptions::LineOptionsHelp()
        << "\n--demo starts the instrument simulator on a new pseudo-terminal that takes a\n"
           "real line's time at --baud, and uses it as the port (for example: sondrel-cli\n"
           "--demo download --recent 100 --delay line --timing standard --baud 115200).\n"
        << "\n--help after any command shows this text; --version shows the program's version.\n";
}

// The command is the first argument that is neither an option nor an option's value.
std::string CommandName(const std::vector<std::string>& args) {
    static const std::set<std::string> kFlags = {"broadcast",  "save", "following", "previous",
                                                 "erase",      "yes",  "quiet",     "new",
                                                 "no-archive", "once", "json"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) != 0) {
            return args[i];
        }
        const bool inlineValue = args[i].find('=') != std::string::npos;
        if (!inlineValue && kFlags.count(args[i].substr(2)) == 0) {
            ++i; // the option's value
        }
    }
    return {};
}

// The value of "--name value" or "--name=value", as far as the raw arguments tell.
std::optional<std::string> OptionValue(const std::vector<std::string>& args,
                                       const std::string& name) {
    const std::string option = "--" + name;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == option && i + 1 < args.size()) {
            return args[i + 1];
        }
        if (args[i].rfind(option + "=", 0) == 0) {
            return args[i].substr(option.size() + 1);
        }
    }
    return std::nullopt;
}

// A password of a PostgreSQL connection string among the arguments is masked in the process's
// own argument memory, so that ps and /proc/PID/cmdline no longer show it once the program
// runs (the program keeps its own copy). Only when the masked text fits in place.
void MaskPasswordsInArguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const std::string prefix = equals == std::string::npos ? "" : arg.substr(0, equals + 1);
        const std::string masked =
            prefix + Sondrel::MaskConnectionPassword(arg.substr(prefix.size()));
        if (masked != arg && masked.size() <= arg.size()) {
            std::memset(argv[i], 0, arg.size());
            std::memcpy(argv[i], masked.data(), masked.size());
        } else if (masked != arg) {
            std::memset(argv[i], '*', arg.size());
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    MaskPasswordsInArguments(argc, argv);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            PrintHelp();
            return 0;
        }
        if (arg == "--version") {
            std::cout << Sondrel::VersionText("sondrel-cli");
            return 0;
        }
    }
    if (args.empty()) {
        PrintHelp();
        return 2;
    }
    // --demo: the instrument simulator on a new pseudo-terminal takes the place of a port. It
    // takes a real line's time at the speed the command asks for.
    std::unique_ptr<SondrelLauncher::TSimulatorProcess> simulator;
    if (const auto demo = std::find(args.begin(), args.end(), "--demo"); demo != args.end()) {
        args.erase(demo);
        try {
            // The running executable itself, wherever it was started from (argv[0] may be a
            // bare name found on the search path).
            simulator = std::make_unique<SondrelLauncher::TSimulatorProcess>(
                SondrelLauncher::TSimulatorProcess::LocateBeside("/proc/self/exe"),
                std::vector<std::string>{"--wire-time", "--timing", "standard", "--baud",
                                         OptionValue(args, "baud").value_or("9600")});
        } catch (const std::exception& e) {
            std::cerr << "sondrel-cli: --demo: " << e.what() << "\n";
            return 1;
        }
        args.push_back("--port");
        args.push_back(simulator->PortPath());
    }
    try {
        const std::string command = CommandName(args);
        if (SondrelCli::IsClientCommand(command)) {
            return SondrelCli::RunClientCommand(args);
        }
        if (SondrelCli::IsDownloadCommand(command)) {
            return SondrelCli::RunDownloadCommand(args);
        }
#ifdef SONDREL_HAVE_REPORT
        if (SondrelCli::IsArchiveReportCommand(args)) {
            return SondrelCli::RunArchiveReportCommand(args);
        }
#endif
        if (SondrelCli::IsArchiveCommand(command)) {
            return SondrelCli::RunArchiveCommand(args);
        }
#ifdef SONDREL_HAVE_COLLECT
        if (command == "collect") {
            return SondrelCli::RunCollectCommand(args);
        }
        if (command == "collect-line") {
            return SondrelCli::RunCollectLineCommand();
        }
#endif
        if (command == "firmware") {
            return SondrelCli::RunFirmwareCommand(args);
        }
        if (command == "serve") {
            return SondrelCli::RunServeCommand(args);
        }
        throw SondrelOptions::EUsageError(command.empty() ? "no command given (see --help)"
                                                          : "unknown command '" + command + "'");
    } catch (const SondrelOptions::EUsageError& e) {
        std::cerr << "sondrel-cli: " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "sondrel-cli: " << e.what() << "\n";
        return 1;
    }
}
