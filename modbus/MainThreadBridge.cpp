#include "MainThreadBridge.h"

#include <cstdio>

namespace Corvane {

TMainThreadBridge& TMainThreadBridge::Instance() {
    static TMainThreadBridge bridge;
    return bridge;
}

TMainThreadBridge::TMainThreadBridge() : FMainThread(std::this_thread::get_id()) {}

void TMainThreadBridge::Post(TBridgeTask task) {
    {
        std::lock_guard lock(FMutex);
        FQueue.push_back(std::move(task));
        ++FPosted;
    }
    FQueued.notify_all();
    Wake();
}

bool TMainThreadBridge::Synchronize(std::function<void()> fn, const std::atomic<bool>* abandon) {
    if (IsMainThread()) {
        fn();
        return true;
    }
    struct TState {
        std::mutex Mutex;
        std::condition_variable Done;
        bool Finished = false;
        std::exception_ptr Error;
    };
    auto state = std::make_shared<TState>();
    Post([state, fn = std::move(fn)] {
        try {
            fn();
        } catch (...) {
            state->Error = std::current_exception();
        }
        std::lock_guard lock(state->Mutex);
        state->Finished = true;
        state->Done.notify_all();
    });
    std::unique_lock lock(state->Mutex);
    while (!state->Finished) {
        if (abandon == nullptr) {
            state->Done.wait(lock);
        } else if (abandon->load()) {
            return false;
        } else {
            state->Done.wait_for(lock, std::chrono::milliseconds(20));
        }
    }
    if (state->Error) {
        std::rethrow_exception(state->Error);
    }
    return true;
}

std::size_t TMainThreadBridge::Drain() {
    return DrainUntil(std::chrono::steady_clock::time_point::max());
}

std::size_t TMainThreadBridge::Drain(std::chrono::milliseconds budget) {
    return DrainUntil(std::chrono::steady_clock::now() + budget);
}

bool TMainThreadBridge::HasWork() {
    std::lock_guard lock(FMutex);
    return !FQueue.empty();
}

std::size_t TMainThreadBridge::DrainUntil(std::chrono::steady_clock::time_point deadline) {
    std::uint64_t limit = 0;
    {
        std::lock_guard lock(FMutex);
        limit = FPosted;
    }
    std::size_t count = 0;
    for (;;) {
        TBridgeTask task;
        {
            std::lock_guard lock(FMutex);
            if (FQueue.empty() || FTaken >= limit ||
                (count > 0 && std::chrono::steady_clock::now() >= deadline)) {
                return count;
            }
            task = std::move(FQueue.front());
            FQueue.pop_front();
            ++FTaken;
        }
        ++count;
        try {
            task();
        } catch (const std::exception& e) {
            ReportException(e);
        } catch (...) {
            ReportException(std::runtime_error("Unknown error"));
        }
    }
}

std::size_t TMainThreadBridge::WaitAndDrain(std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(FMutex);
        FQueued.wait_for(lock, timeout, [&] { return !FQueue.empty(); });
    }
    return Drain();
}

void TMainThreadBridge::SetWakeHook(std::function<void()> hook) {
    std::lock_guard lock(FMutex);
    FWakeHook = std::move(hook);
}

void TMainThreadBridge::Wake() {
    std::function<void()> hook;
    {
        std::lock_guard lock(FMutex);
        hook = FWakeHook;
    }
    if (hook) {
        hook();
    }
}

void TMainThreadBridge::ReportException(const std::exception& e) {
    TExceptionHandler handler;
    {
        std::lock_guard lock(FMutex);
        handler = FExceptionHandler;
    }
    if (handler) {
        handler(e);
    } else {
        std::fprintf(stderr, "%s\n", e.what());
    }
}

void TMainThreadBridge::SetExceptionHandler(TExceptionHandler handler) {
    std::lock_guard lock(FMutex);
    FExceptionHandler = std::move(handler);
}

} // namespace Corvane
