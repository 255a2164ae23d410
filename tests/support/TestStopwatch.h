// Stopwatch: wall-clock time since construction (or the last Restart) on the monotonic
// clock, and CPU time used by the whole process, for tests that bound how long a wait lasts
// or how much processor time it burns. Assert generous bounds only: the machine is shared.
#pragma once

#include <chrono>
#include <sys/types.h>

namespace TestSupport {

class Stopwatch {
public:
    using Clock = std::chrono::steady_clock;

    Stopwatch() : FStart(Clock::now()) {}

    void Restart() { FStart = Clock::now(); }

    // Whole milliseconds elapsed, rounded down.
    long long ElapsedMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - FStart).count();
    }

private:
    Clock::time_point FStart;
};

// CPU time (user and system, all threads) the process has used so far.
std::chrono::microseconds ProcessCpuTime();
// The same for another running process, read from /proc at clock-tick resolution; -1 us when
// the process cannot be read.
std::chrono::microseconds ProcessCpuTime(pid_t pid);

} // namespace TestSupport
