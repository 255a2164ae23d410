// TLineProcess: the collector process of one line for one round: this program again
// ("sondrel-cli collect-line"), its job written to its standard input (so that no password
// ever stands on a command line), its report lines read from its standard output.
//
// Report lines are "<instrument index> TAB <text>"; ReadAvailable hands each whole line on.
// The process starts with the signals the collector blocks unblocked and their default
// actions, and is killed (SIGKILL) and reaped when the object goes while it still runs.
//
// Threads: the collector's thread; POSIX only.
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>

namespace SondrelCli {

class TLineProcess {
public:
    using TLineSink = std::function<void(std::size_t instrument, const std::string& text)>;

    // Starts the process; throws std::runtime_error when it cannot.
    TLineProcess(const std::string& jobText, TLineSink sink);
    ~TLineProcess();
    TLineProcess(const TLineProcess&) = delete;
    TLineProcess& operator=(const TLineProcess&) = delete;

    // The descriptor of its output, to wait on; -1 once the output is closed.
    int OutputFd() const { return FOutput; }
    // Reads what is there and hands on the whole lines; closes the output at its end.
    void ReadAvailable();
    void Signal(int signal) const;
    // Reaps the process if it ended: true then, with its exit status (128 + signal).
    bool TryReap();
    bool Ended() const { return FEnded; }
    int ExitStatus() const { return FExitStatus; }

private:
    void HandLines();

    pid_t FPid = -1;
    int FOutput = -1;
    std::string FBuffer;
    TLineSink FSink;
    bool FEnded = false;
    int FExitStatus = -1;
};

} // namespace SondrelCli
