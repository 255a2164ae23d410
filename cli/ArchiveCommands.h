// "sondrel-cli archive list|export|check|excursions|limits": the archive without an instrument.
// - list: every instrument with its record count and its first and last record date-times;
// - export --from DATE --to DATE [--instrument ID] --csv|--xlsx|--html FILE: the records of the
//   range (every instrument unless one is named by its id, its name or its identity), in
//   date-time order, written as the window's "Export to File" writes a download's table;
// - check: the database's integrity check, the counts, and every record against its checksum;
// - excursions, limits: the limits and the excursions beyond them (ExcursionCommands.h).
// The archive is opened for reading only. DATE is YYYY-MM-DD (a whole day) or
// "YYYY-MM-DD HH:MM".
#pragma once

#include <string>
#include <vector>

namespace SondrelCli {

bool IsArchiveCommand(const std::string& command);
std::string ArchiveCommandsHelp();
// Returns 0 on success, 1 when the archive could not be used or a check found damage.
int RunArchiveCommand(const std::vector<std::string>& args);

} // namespace SondrelCli
