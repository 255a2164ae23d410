// ChildProcess: a helper program (a Modbus peer, socat) run as a child of the test process
// for the lifetime of this object.
//
// The child's standard output is captured through a pipe so that a test can wait for the
// line a program prints when it is ready; its standard error goes to the test's own, where
// it shows up next to a failure, unless the test asks to capture it as well (for programs
// whose error messages are under test); its standard input is /dev/null. It inherits no other
// descriptor of the test process (a pseudo-terminal kept open by a forgotten child would
// hide a hang-up from the test).
//
// No stray processes: the destructor stops the child (SIGTERM, then SIGKILL after a grace
// period) and reaps it, also when the test failed. Should the test process itself die, the
// kernel sends the child SIGTERM (PR_SET_PDEATHSIG), because the death signal follows the
// thread that started the child, create it on a thread that outlives it (the test's own).
//
// Move-only; one thread at a time.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace TestSupport {

class ChildProcess {
public:
    enum class ErrorOutput { PassThrough, Capture };

    // Starts argv[0] (looked up in PATH when it has no '/') with the arguments that follow.
    // Throws std::runtime_error when the program cannot be started.
    explicit ChildProcess(const std::vector<std::string>& argv,
                          ErrorOutput errors = ErrorOutput::PassThrough);
    ~ChildProcess();

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads the child's standard output until a complete line containing text arrives.
    // False when the time is up or the child closed its output (it exited) first.
    bool WaitForLine(std::string_view text, std::chrono::milliseconds timeout);

    // Reads whatever the child writes to its outputs for the given time (both of them, so that
    // a child writing much to a captured standard error never blocks on a full pipe).
    void ReadFor(std::chrono::milliseconds time);

    // Everything the child wrote to its standard output so far (as far as it was read).
    const std::string& Output() const { return FOutput; }
    // Everything it wrote to its standard error so far (ErrorOutput::Capture only).
    const std::string& Errors() const { return FErrors; }

    // Waits until the child has exited and closed its outputs, reading them meanwhile.
    // Returns its exit status (128 + signal when a signal ended it), or -1 when the time is
    // up first; the child then keeps running.
    int Wait(std::chrono::milliseconds timeout);

    // Sends a signal to the child while it runs.
    void Signal(int signal);

    // True while the child has not exited (reaps it when it has).
    bool Running();

    // Stops the child: SIGTERM, then SIGKILL when it is still there after grace; reaps it.
    // Returns its exit status, or 128 + the signal that ended it; -1 when there was no child.
    int Stop(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

    pid_t Pid() const { return FPid; }

private:
    void Release();
    // Reads what the outputs have within the timeout; false when both are closed.
    bool ReadOutputs(std::chrono::milliseconds timeout);
    static int Decode(int waitStatus);

    pid_t FPid = -1;
    int FOutputFd = -1;
    int FErrorFd = -1;
    int FExitStatus = -1;
    std::string FOutput;
    std::string FErrors;
    std::size_t FScanned = 0; // complete lines before this offset have been searched
};

} // namespace TestSupport
