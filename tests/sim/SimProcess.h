// SimProcess: sondrel-sim started as a child process with its standard output and error on
// pipes. The destructor kills and reaps a child that is still running, so a failing test
// never leaves a stray process behind.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace SimTest {

class SimProcess {
public:
    // Starts the program with the arguments; throws std::runtime_error when it cannot.
    SimProcess(const std::string& program, const std::vector<std::string>& args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The first line of standard output (without its newline), or nothing when none came
    // within the timeout.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // Everything on standard error until the child closes it or the timeout passes.
    std::string ReadErrors(std::chrono::milliseconds timeout);

    void Signal(int signal) const;
    // The child's wait status once it ended within the timeout; nothing while it runs.
    std::optional<int> WaitExit(std::chrono::milliseconds timeout);

private:
    pid_t FPid = -1;
    int FOut = -1;
    int FErr = -1;
    std::string FOutBuffer;
};

} // namespace SimTest
