// "sondrel-cli archive report --from DATE --to DATE --pdf FILE [--instrument ID]
// [--limits FILE] [--groups counts,ppb,health]": the printable trend report of one
// instrument's archived records in a range, as a PDF (trends/report). It draws the charts with
// Qt, offscreen unless QT_QPA_PLATFORM says otherwise; a build without Qt has no such command
// (cli_core says so, and holds the command's help text).
#pragma once

#include <string>
#include <vector>

namespace SondrelCli {

// Whether the arguments ask for "archive report".
bool IsArchiveReportCommand(const std::vector<std::string>& args);
// Returns 0 once the report is written, 1 when the archive or the file failed; raises
// EUsageError for a wrong command line.
int RunArchiveReportCommand(const std::vector<std::string>& args);

} // namespace SondrelCli
