// "sondrel-cli download", "download-all" and "erase": the log download procedures of the
// window, driven from the command line. The steps are printed as the transaction log writes
// them; a finished download then prints the record table as the list shows it, and writes the
// exports that --csv, --xlsx and --html ask for (ExportOptions.h).
#pragma once

#include <string>
#include <vector>

namespace SondrelCli {

bool IsDownloadCommand(const std::string& command);
std::string DownloadCommandsHelp();
// Returns 0 only when the procedure finished without a failure line or error box.
int RunDownloadCommand(const std::vector<std::string>& args);

} // namespace SondrelCli
