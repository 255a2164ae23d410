// "sondrel-cli collect": unattended collection from many instruments into one archive.
//
// Each round starts one collector process per line (TLineProcess: the lines in parallel, one
// connection each), which collects its instruments one after the other (TLineCollector). The
// collector waits for every line's process before the round ends, so a round never overlaps
// the next: with --every the next one starts at its time, or at once when the round took
// longer. Between rounds it sleeps in one system call until the time or a signal.
//
// SIGTERM or SIGINT: every line's process finishes (stops) its current instrument's download,
// commits what it read and ends; then the collector ends (status 0 when it ran on a schedule).
//
// "sondrel-cli collect-line" is the line's process: its job on standard input (CollectConfig.h),
// its reports on standard output. Not for users.
//
// Main thread; POSIX.
#pragma once

#include <string>
#include <vector>

namespace SondrelCli {

bool IsCollectCommand(const std::string& command);
std::string CollectCommandHelp();
// 0 when, in --once, every instrument was collected (or after a stop on a schedule); 1
// otherwise; usage errors are thrown (SondrelOptions::EUsageError).
int RunCollectCommand(const std::vector<std::string>& args);
int RunCollectLineCommand();

} // namespace SondrelCli
