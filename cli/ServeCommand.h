// "sondrel-cli serve": the connection in server mode answering from a local server item map.
#pragma once

#include <string>
#include <vector>

namespace SondrelCli {

const char* ServeCommandHelp();
// Serves until SIGINT or SIGTERM; returns the exit status.
int RunServeCommand(const std::vector<std::string>& args);

} // namespace SondrelCli
