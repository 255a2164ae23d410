#include "Stopwatch.h"

namespace Sondrel {

void TStopwatch::Reset() {
    FAccumulated = 0;
    FStartedAt = FClock();
}

void TStopwatch::Start() {
    if (!FRunning) {
        FStartedAt = FClock();
        FRunning = true;
    }
}

void TStopwatch::Stop() {
    if (FRunning) {
        FAccumulated += FClock() - FStartedAt;
        FRunning = false;
    }
}

std::int64_t TStopwatch::ElapsedMs() const {
    return FAccumulated + (FRunning ? FClock() - FStartedAt : 0);
}

} // namespace Sondrel
