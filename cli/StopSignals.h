// SIGINT and SIGTERM as a request to stop: the commands that run until stopped (serve, a
// polling read) install the handler, check StopRequested() in their loop and end cleanly.
#pragma once

namespace SondrelCli {

// Clears an earlier request and routes SIGINT and SIGTERM to it.
void InstallStopSignals();
// Gives both signals their default action back.
void RestoreStopSignals();
bool StopRequested();

} // namespace SondrelCli
