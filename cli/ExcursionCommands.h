// "sondrel-cli archive excursions" and "archive limits": the alert and action limits of the
// archive's instruments (the limits file that the window keeps too, TLimitsFile) and the
// excursions of their records beyond them.
// - excursions [--from DATE] [--to DATE] [--instrument ID] [--limits FILE] [--json]: for each
//   instrument (or the one named), the excursions of its records of the range with their
//   acknowledgements; a line each, or a JSON array of objects.
// - limits --instrument ID [--limits FILE] [--set KEY=VALUE,...] [--clear KEY,...]: the
//   instrument's limits, after setting and clearing those named (KEY: "counts1.alert_high").
//   Limits that contradict each other are refused and the file is left as it was.
#pragma once

#include "CommandLine.h"

#include "ArchiveStore.h"

#include <filesystem>

namespace SondrelCli {

// The limits file of --limits, or the default one.
std::filesystem::path LimitsPathOption(const SondrelOptions::TCommandLine& line);

// Return the exit status; usage errors raise EUsageError, the archive's EArchiveError.
int ArchiveExcursions(Sondrel::IArchiveStore& store, const SondrelOptions::TCommandLine& line);
int ArchiveLimits(Sondrel::IArchiveStore& store, const SondrelOptions::TCommandLine& line);

} // namespace SondrelCli
