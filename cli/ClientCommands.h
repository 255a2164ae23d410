// The console's manual operations as sondrel-cli commands: one request, its log lines as the
// console writes them, then the values read, one per line.
#pragma once

#include <string>
#include <vector>

namespace SondrelCli {

// True when the command is one of the console operations.
bool IsClientCommand(const std::string& command);
const char* ClientCommandsHelp();

// Runs the command given by args (the command name first); returns the exit status:
// 0 normal response or broadcast sent, 1 failed outcome or unusable port, 2 usage error.
int RunClientCommand(const std::vector<std::string>& args);

} // namespace SondrelCli
