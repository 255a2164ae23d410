// Stopwatch: wall-clock time since construction (or the last Restart) on the monotonic
// clock, and CPU time used by the whole process, for tests that bound how long a wait lasts
// or how much processor time it burns. Assert generous bounds only: the machine is shared.
#pragma once

#include <chrono>

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

} // namespace TestSupport
