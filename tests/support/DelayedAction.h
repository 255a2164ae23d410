// DelayedAction: runs a function once on its own thread after a delay, for tests that need
// something to happen while the test thread is blocked in the code under test (a peer that
// answers late, a stop request during a wait). The destructor waits for the function to
// finish, so the action never outlives what it captured by reference. An exception thrown
// by the action is kept and rethrown by Wait().
#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <thread>

namespace TestSupport {

class DelayedAction {
public:
    DelayedAction(std::chrono::milliseconds delay, std::function<void()> action);
    ~DelayedAction();

    DelayedAction(const DelayedAction&) = delete;
    DelayedAction& operator=(const DelayedAction&) = delete;

    // Waits until the action has run; rethrows what it threw.
    void Wait();

private:
    std::exception_ptr FError;
    std::thread FThread;
};

} // namespace TestSupport
