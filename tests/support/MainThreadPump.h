// Pumping the library's main-thread bridge from a test: completions, frame copies and
// synchronized calls of the Modbus library only run while the main (test) thread drains the
// bridge, so a test that waits for an outcome must keep draining it.
#pragma once

#include "MainThreadBridge.h"

#include <chrono>

namespace TestSupport {

// Runs the main thread's queued work until pred holds or the time is up; tells which.
template <typename Pred>
bool PumpUntil(Pred pred, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto& bridge = Corvane::TMainThreadBridge::Instance();
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        bridge.WaitAndDrain(std::chrono::milliseconds(5));
    }
    return true;
}

// Runs the main thread's queued work for the whole duration.
inline void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}

} // namespace TestSupport
