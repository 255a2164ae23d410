// A stopwatch over an injected millisecond clock (the download's ssStopWatch1).
//
// Threads: the thread that owns it; the clock must be callable there.
#pragma once

#include <cstdint>
#include <functional>

namespace Sondrel {

class TStopwatch {
public:
    explicit TStopwatch(std::function<std::int64_t()> clock) : FClock(std::move(clock)) {}

    void Reset();
    void Start();
    void Stop();
    bool Running() const { return FRunning; }
    // Elapsed milliseconds: the stopped total plus the running span.
    std::int64_t ElapsedMs() const;

private:
    std::function<std::int64_t()> FClock;
    bool FRunning = false;
    std::int64_t FStartedAt = 0;
    std::int64_t FAccumulated = 0;
};

} // namespace Sondrel
