// TSimulatorProcess: starts "sondrel-sim --pty" as a child process for the demo mode of the
// window and the command-line tool, reads the pseudo-terminal path it prints, and stops it
// (SIGTERM, then SIGKILL) and reaps it when destroyed, so that no simulator outlives the
// program that started it.
//
// Main thread only. POSIX.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace SondrelLauncher {

class TSimulatorProcess {
public:
    // program: the sondrel-sim executable; extraArgs are passed after --pty.
    // Raises std::runtime_error with the reason when it cannot start or prints no path.
    TSimulatorProcess(const std::string& program, const std::vector<std::string>& extraArgs = {});
    ~TSimulatorProcess();
    TSimulatorProcess(const TSimulatorProcess&) = delete;
    TSimulatorProcess& operator=(const TSimulatorProcess&) = delete;

    // The device path of the simulated instrument.
    const std::string& PortPath() const { return FPortPath; }

    // The simulator executable beside the given program (same folder), or "sondrel-sim" from
    // the search path when there is none.
    static std::string LocateBeside(const std::string& programPath);

private:
    void Stop();

    pid_t FPid = -1;
    std::string FPortPath;
};

} // namespace SondrelLauncher
